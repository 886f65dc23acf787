#include "output/result_text.h"

#include <algorithm>

namespace quillmeter {

void ResultText::Set(std::string_view text) {
  text_.clear();
  Append(text);
}

void ResultText::Append(std::string_view text) {
  text_.append(text.substr(0, std::min(text.size(), room())));
}

}  // namespace quillmeter
