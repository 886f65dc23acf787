#include "output/formatting.h"

namespace quillmeter {

std::string GroupThousands(std::string_view digits) {
  std::string text(digits);
  size_t n = text.size();
  if (n <= 3) return text;
  if (n <= 6) return text.substr(0, n - 3) + "." + text.substr(n - 3);
  return text.substr(0, n - 6) + "." + text.substr(n - 6, 3) + "." + text.substr(n - 3);
}

std::string StripBlanksAndDots(std::string_view text) {
  if (text.size() < 4) return std::string(text);
  std::string stripped;
  for (char c : text)
    if (c != ' ' && c != '.') stripped.push_back(c);
  return stripped;
}

std::string FindProfileLine(const std::vector<std::string>& lines, std::string_view prefix) {
  for (const std::string& line : lines)
    if (std::string_view(line).substr(0, prefix.size()) == prefix) return line;
  return std::string();
}

}  // namespace quillmeter
