#include "base/text.h"

namespace quillmeter {

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

std::string WithoutTrailingBlanks(std::string_view text) {
  size_t end = text.find_last_not_of(' ');
  return std::string(text.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

std::string WithoutBlanks(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::string();
  return WithoutTrailingBlanks(text.substr(first));
}

std::vector<std::string> SplitLines(std::string_view contents) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < contents.size()) {
    size_t end = contents.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(contents.substr(start));
      break;
    }
    lines.emplace_back(contents.substr(start, end - start));
    start = end + 1;
    if (contents[end] == '\r' && start < contents.size() && contents[start] == '\n') ++start;
  }
  return lines;
}

std::string OneLine(std::string_view text, size_t limit) {
  std::string line;
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    bool blank = byte < 0x20 || byte == 0x7f || c == ' ';
    if (blank) {
      if (!line.empty() && line.back() != ' ') line.push_back(' ');
    } else {
      line.push_back(c);
    }
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  if (line.size() > limit) {
    size_t end = limit;
    // Back off to the start of a character: continuation bytes are 10xxxxxx.
    while (end > 0 && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80) --end;
    line.resize(end);
    while (!line.empty() && line.back() == ' ') line.pop_back();
  }
  return line;
}

std::string_view LineEndOf(std::string_view contents) {
  size_t end = contents.find('\n');
  if (end != std::string_view::npos && end > 0 && contents[end - 1] == '\r') return "\r\n";
  return "\n";
}

std::string LowerHex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0xf];
  }
  return hex;
}

std::string Joined(const std::vector<std::string>& parts, std::string_view separator) {
  std::string joined;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) joined += separator;
    joined += parts[i];
  }
  return joined;
}

}  // namespace quillmeter
