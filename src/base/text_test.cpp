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

TEST(TextTest, BlanksGoFromTheEndsOnly) {
  EXPECT_EQ(WithoutTrailingBlanks("  ORACLE   "), "  ORACLE");
  EXPECT_EQ(WithoutBlanks("  User is locked \t  "), "User is locked \t");
  EXPECT_EQ(WithoutTrailingBlanks("    "), "");
  EXPECT_EQ(WithoutBlanks("    "), "");
  EXPECT_EQ(WithoutBlanks(""), "");
}

TEST(TextTest, OneLineFoldsControlsAndBlanksAndCutsWholeCharacters) {
  struct Case {
    std::string in;
    size_t limit;
    std::string out;
  } cases[] = {
      {"partner 'sapprd01:sapgw00' not reached", 200, "partner 'sapprd01:sapgw00' not reached"},
      {"  two\r\nlines \t and\x01\x7f tabs  ", 200, "two lines and tabs"},
      {std::string("nul\0inside", 10), 200, "nul inside"},
      {"abcdef", 3, "abc"},
      {"ab cdef", 3, "ab"},
      {"\xC3\xBC\xC3\xBC", 3, "\xC3\xBC"},  // not inside the second character
      {"", 200, ""},
      {" \n ", 200, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(OneLine(c.in, c.limit), c.out) << c.in;
}

TEST(TextTest, JoinedPutsTheSeparatorBetweenPartsOnly) {
  EXPECT_EQ(Joined({}, ", "), "");
  EXPECT_EQ(Joined({"a"}, ", "), "a");
  EXPECT_EQ(Joined({"a", "", "c"}, "; "), "a; ; c");
}

}  // namespace
}  // namespace quillmeter
