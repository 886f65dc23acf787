#include "rfc/sap_uc.h"

namespace quillmeter {
namespace {

// 0x80 to 0x9F; the undefined ones map to themselves.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char Cp1252Byte(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
  for (unsigned i = 0; i < 32; ++i)
    if (kHighControls[i] == unit) return static_cast<char>(0x80 + i);
  return '?';
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::u16string SapUcFromCp1252(std::string_view text) {
  std::u16string units;
  units.reserve(text.size());
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    units.push_back(byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char16_t{byte});
  }
  return units;
}

std::string Cp1252FromSapUc(const SapUc* text, size_t size) {
  std::string bytes;
  if (text == nullptr) return bytes;
  for (size_t i = 0; i < size && text[i] != 0; ++i) {
    // A pair is one character, and one '?'.
    if (IsHighSurrogate(text[i]) && i + 1 < size && IsLowSurrogate(text[i + 1])) ++i;
    bytes.push_back(Cp1252Byte(text[i]));
  }
  return bytes;
}

}  // namespace quillmeter
