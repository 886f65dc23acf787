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

}  // namespace
}  // namespace quillmeter
