#include "uc_text.h"

#include <cstdio>

namespace simnwrfc {
namespace {

// 0x80 to 0x9F; the five bytes Windows-1252 leaves open keep their value.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

std::u16string FromBytes(const std::string& bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (unsigned char c : bytes)
    text.push_back(c >= 0x80 && c < 0xA0 ? kHighControls[c - 0x80] : static_cast<char16_t>(c));
  return text;
}

std::u16string Taken(const SAP_UC* text, size_t limit) {
  std::u16string taken;
  for (size_t i = 0; text != nullptr && i < limit && text[i] != 0; ++i) taken.push_back(text[i]);
  return taken;
}

std::string ToBytes(const std::u16string& text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (char16_t unit : text) {
    if (unit < 0x80 || (unit >= 0xA0 && unit < 0x100)) {
      bytes.push_back(static_cast<char>(unit));
      continue;
    }
    char byte = '?';
    for (unsigned i = 0; i < 32; ++i)
      if (kHighControls[i] == unit) byte = static_cast<char>(0x80 + i);
    bytes.push_back(byte);
  }
  return bytes;
}

std::string ShownUc(const SAP_UC* text, size_t limit) {
  if (text == nullptr) return "(null)";
  std::string shown = "[";
  for (char16_t unit : Taken(text, limit)) {
    char escaped[12];
    if (unit >= 0x20 && unit < 0x7F) {
      shown.push_back(static_cast<char>(unit));
      continue;
    }
    if (unit < 0x100)
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(unit));
    else
      std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(unit));
    shown += escaped;
  }
  return shown + "]";
}

void CopyTerminated(const std::u16string& text, SAP_UC* field, size_t capacity) {
  if (capacity == 0) return;
  size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
  for (size_t i = 0; i < capacity; ++i) field[i] = i < n ? text[i] : u'\0';
}

}  // namespace simnwrfc
