#include "base/text.h"

#include <gtest/gtest.h>

namespace quillmeter {
namespace {

TEST(TextTest, SplitLinesTakesEveryKindOfLineEnd) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(SplitLines(""), Lines{});
  EXPECT_EQ(SplitLines("a"), Lines{"a"});
  EXPECT_EQ(SplitLines("a\n"), Lines{"a"});
  EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("\n\n"), (Lines{"", ""}));
  EXPECT_EQ(SplitLines("a\n\r\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitLines(std::string("x\0y\n", 4)), Lines{std::string("x\0y", 3)});
}

TEST(TextTest, UpperCaseTouchesAsciiLettersOnly) {
  EXPECT_EQ(UpperCase("item=ab\xE4z#"), "ITEM=AB\xE4Z#");
}

}  // namespace
}  // namespace quillmeter
