#include "prtg_answer.h"

#include <cstdio>
#include <vector>

namespace quillmeter {
namespace {

constexpr size_t kMaxPrtgText = 2000;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool KnownElement(std::string_view name) {
  for (std::string_view known :
       {"Prtg", "Error", "Text", "Result", "Channel", "Value", "Unit", "CustomUnit"})
    if (name == known) return true;
  return false;
}

// Length of the valid UTF-8 character at text[i], or 0. Written apart from
// the product's escaping so that the check does not share its faults.
size_t Utf8Length(std::string_view text, size_t i) {
  unsigned char lead = static_cast<unsigned char>(text[i]);
  size_t length = lead < 0x80                    ? 1
                  : lead >= 0xC2 && lead <= 0xDF ? 2
                  : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                 : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k)
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
  unsigned char second = length > 1 ? static_cast<unsigned char>(text[i + 1]) : 0;
  if (lead == 0xE0 && second < 0xA0) return 0;   // overlong
  if (lead == 0xED && second >= 0xA0) return 0;  // surrogate
  if (lead == 0xF0 && second < 0x90) return 0;   // overlong
  if (lead == 0xF4 && second >= 0x90) return 0;  // beyond U+10FFFF
  return length;
}

// Lines without their ends ("\n", "\r\n" or a lone "\r"); no history or
// logon guard lines, which the sensor keeps itself.
std::vector<std::string> KeptLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    std::string line(text.substr(start, end - start));
    if (!StartsWith(line, "# Alg ") && !StartsWith(line, "# Alx ") && !StartsWith(line, "# Alm ") &&
        !StartsWith(line, "# Alb "))
      lines.push_back(line);
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
      ++end;
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::string DocumentFault(std::string_view out) {
  // Line ends around the root element are whitespace, which XML allows.
  std::string_view trimmed = out.substr(0, out.find_last_not_of('\n') + 1);
  if (!StartsWith(trimmed.substr(trimmed.find_first_not_of('\n')), "<Prtg>"))
    return "does not start with <Prtg>";
  if (!EndsWith(trimmed, "</Prtg>")) return "does not end with </Prtg>";
  std::vector<std::string_view> open;
  size_t documents = 0;
  size_t text_length = 0;
  size_t i = 0;
  while (i < out.size()) {
    char c = out[i];
    if (c == '<') {
      size_t end = out.find('>', i);
      if (end == std::string_view::npos) return "unterminated tag";
      std::string_view tag = out.substr(i + 1, end - i - 1);
      bool closing = StartsWith(tag, "/");
      std::string_view name = closing ? tag.substr(1) : tag;
      if (!KnownElement(name)) return "unknown element <" + std::string(tag) + ">";
      if (closing) {
        if (open.empty() || open.back() != name) return "misnested </" + std::string(name) + ">";
        open.pop_back();
      } else {
        if ((name == "Prtg") != open.empty()) return "misplaced <" + std::string(name) + ">";
        if (name == "Prtg" && ++documents > 1) return "a second document";
        open.push_back(name);
        text_length = 0;
      }
      i = end + 1;
      continue;
    }
    bool in_text = !open.empty() && open.back() != "Prtg" && open.back() != "Result";
    if (!in_text) {
      if (c != '\n') return "text outside an element";
      ++i;
      continue;
    }
    if (++text_length > kMaxPrtgText) return "element text longer than PRTG takes";
    if (c == '&') {
      std::string_view rest = out.substr(i);
      size_t length = 0;
      for (std::string_view entity : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"})
        if (StartsWith(rest, entity)) length = entity.size();
      if (length == 0) return "raw & in element text";
      i += length;
      continue;
    }
    unsigned char byte = static_cast<unsigned char>(c);
    if (c == '>') return "raw > in element text";
    if ((byte < 0x20 && c != '\t') || byte == 0x7F) return "control character in element text";
    size_t length = Utf8Length(out, i);
    if (length == 0) return "invalid UTF-8 in element text";
    i += length;
  }
  if (!open.empty()) return "unclosed <" + std::string(open.back()) + ">";
  return "";
}

std::string_view DocumentPart(std::string_view out) {
  size_t start = out.find("<Prtg>");
  size_t end = out.rfind("</Prtg>\n");
  if (start == std::string_view::npos || end == std::string_view::npos || end < start) return {};
  return out.substr(start, end + 8 - start);
}

std::string TracedDocumentFault(std::string_view out) {
  std::string kept;
  for (size_t start = 0; start < out.size();) {
    size_t end = out.find('\n', start);
    end = end == std::string_view::npos ? out.size() : end + 1;
    std::string_view line = out.substr(start, end - start);
    if (!StartsWith(line, "* ")) kept.append(line);
    start = end;
  }
  std::string_view document = DocumentPart(kept);
  if (document.empty()) return "no document";
  size_t at = static_cast<size_t>(document.data() - kept.data());
  for (size_t i = 0; i < kept.size(); ++i)
    if ((i < at || i >= at + document.size()) && kept[i] != '\n')
      return "text outside the document";
  return DocumentFault(document);
}

std::string RewriteFault(std::string_view original, std::string_view rewritten) {
  if (KeptLines(original) != KeptLines(rewritten))
    return "the rewritten profile lost lines: " + Printable(rewritten);
  return "";
}

std::string Printable(std::string_view text, size_t limit) {
  std::string shown;
  for (char c : text.substr(0, limit)) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      shown += c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", byte);
      shown += hex;
    }
  }
  return shown;
}

}  // namespace quillmeter
