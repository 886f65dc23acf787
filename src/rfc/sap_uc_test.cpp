#include "rfc/sap_uc.h"

#include <gtest/gtest.h>

namespace quillmeter {
namespace {

std::string RoundTrip(std::string_view bytes) {
  std::u16string units = SapUcFromCp1252(bytes);
  return Cp1252FromSapUc(units.data(), units.size());
}

TEST(SapUc, EveryByteSurvivesTheWayThereAndBack) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(RoundTrip(all), all);
}

TEST(SapUc, Windows1252IsNotLatin1) {
  EXPECT_EQ(SapUcFromCp1252("\x80\x9f\xe4\xdf"), u"\u20ac\u0178\u00e4\u00df");
  EXPECT_EQ(SapUcFromCp1252("PRD 100"), u"PRD 100");
  const std::u16string euro = u"\u20ac5 \u00fc";
  EXPECT_EQ(Cp1252FromSapUc(euro.data(), euro.size()), "\x80" "5 \xfc");
}

TEST(SapUc, WhatWindows1252CannotHoldIsOneQuestionMark) {
  // Cyrillic, a CJK character, an emoji as a surrogate pair, lone halves.
  const std::u16string text = u"\u0416\u4e2d\U0001F600x\xD800y\xDC00";
  EXPECT_EQ(Cp1252FromSapUc(text.data(), text.size()), "???x?y?");
}

TEST(SapUc, ReadingStopsAtTheNulOrTheSize) {
  const SapUc padded[] = {u'A', u'B', 0, u'C'};
  EXPECT_EQ(Cp1252FromSapUc(padded, 4), "AB");
  EXPECT_EQ(Cp1252FromSapUc(padded, 1), "A");
  EXPECT_EQ(Cp1252FromSapUc(nullptr, 10), "");
  // A pair cut by the size is a lone half.
  const std::u16string pair = u"\U0001F600";
  EXPECT_EQ(Cp1252FromSapUc(pair.data(), 1), "?");
}

}  // namespace
}  // namespace quillmeter
