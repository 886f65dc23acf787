#include "output/xml_text.h"

#include <gtest/gtest.h>

namespace quillmeter {
namespace {

TEST(XmlTextTest, EscapesMarkupAndReplacesWhatXmlCannotCarry) {
  struct Case {
    std::string in;
    std::string out;
  } cases[] = {
      {"R&D", "R&amp;D"},
      {"<a>", "&lt;a&gt;"},
      {"tab\tok", "tab\tok"},
      {std::string("nul\0x", 5), "nul?x"},
      {"line\nbreak\r", "line?break?"},
      {"M\xC3\xBCnchen", "M\xC3\xBCnchen"},  // valid UTF-8 stays
      {"M\xFCnchen", "M?nchen"},             // Windows-1252 does not
      {"\xE2\x82", "??"},                    // truncated sequence
      {"\xED\xA0\x80", "???"},               // surrogate
      {"\xC0\xAF", "??"},                    // overlong
  };
  for (const Case& c : cases) EXPECT_EQ(EscapeXml(c.in), c.out) << c.in;
}

TEST(XmlTextTest, LimitNeverCutsAnEntity) {
  EXPECT_EQ(EscapeXml("a&b", 3), "a");
  EXPECT_EQ(EscapeXml("a&b", 6), "a&amp;");
  EXPECT_EQ(EscapeXml("\xC3\xBC\xC3\xBC", 3), "\xC3\xBC");
}

}  // namespace
}  // namespace quillmeter
