#include "output/formatting.h"

#include <gtest/gtest.h>

namespace quillmeter {
namespace {

TEST(FormattingTest, GroupThousandsUsesAtMostTwoDots) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"", ""},
      {"0", "0"},
      {"999", "999"},
      {"1000", "1.000"},
      {"123456", "123.456"},
      {"1234567", "1.234.567"},
      {"123456789", "123.456.789"},
      {"1234567890", "1234.567.890"},
      {"18446744073709551615", "18446744073709.551.615"},
  };
  for (const Case& c : cases) EXPECT_EQ(GroupThousands(c.in), c.out) << c.in;
}

TEST(FormattingTest, StripBlanksAndDotsLeavesShortTextAlone) {
  EXPECT_EQ(StripBlanksAndDots(std::string(21, ' ') + "4.711"), "4711");
  EXPECT_EQ(StripBlanksAndDots("1 2"), "1 2");
  EXPECT_EQ(StripBlanksAndDots("   1.234.567  "), "1234567");
  EXPECT_EQ(StripBlanksAndDots("12a.4"), "12a4");
}

TEST(FormattingTest, FindProfileLineTakesTheFirstMatch) {
  std::vector<std::string> lines = {"Destination:            PRD", "# Alx Date=20261206 x",
                                    "# Alg Date=20261207 first", "# Alg Date=20261207 second",
                                    "# Alg"};
  EXPECT_EQ(FindProfileLine(lines, "# Alg Date="), "# Alg Date=20261207 first");
  EXPECT_EQ(FindProfileLine(lines, "# Nothing"), "");
  EXPECT_EQ(FindProfileLine({}, "# Alg Date="), "");
}

}  // namespace
}  // namespace quillmeter
