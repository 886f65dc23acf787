#include "output/formatting.h"

namespace quillmeter {

std::string GroupThousands(std::string_view digits) {
  std::string text(digits);
  size_t n = text.size();
  if (n <= 3) return text;
  if (n <= 6) return text.substr(0, n - 3) + "." + text.substr(n - 3);
  return text.substr(0, n - 6) + "." + text.substr(n - 6, 3) + "." + text.substr(n - 3);
}

}  // namespace quillmeter
