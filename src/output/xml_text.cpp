#include "output/xml_text.h"

namespace quillmeter {
namespace {

// Length of the valid UTF-8 sequence starting at text[i], or 0 if invalid.
size_t Utf8SequenceLength(std::string_view text, size_t i) {
  unsigned char lead = static_cast<unsigned char>(text[i]);
  size_t length;
  unsigned min;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    min = 0x10000;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  unsigned code = lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    unsigned char next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::string EscapeXml(std::string_view text, size_t limit) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    std::string_view piece;
    size_t consumed = 1;
    char c = text[i];
    if (c == '&') {
      piece = "&amp;";
    } else if (c == '<') {
      piece = "&lt;";
    } else if (c == '>') {
      piece = "&gt;";
    } else if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) {
      piece = "?";
    } else {
      consumed = Utf8SequenceLength(text, i);
      if (consumed == 0) {
        piece = "?";
        consumed = 1;
      } else {
        piece = text.substr(i, consumed);
      }
    }
    if (limit != std::string::npos && out.size() + piece.size() > limit) break;
    out.append(piece);
    i += consumed;
  }
  return out;
}

}  // namespace quillmeter
