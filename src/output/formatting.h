// Small text operations for the logging figures.
#ifndef QUILLMETER_OUTPUT_FORMATTING_H_
#define QUILLMETER_OUTPUT_FORMATTING_H_

#include <string>
#include <string_view>
#include <vector>

namespace quillmeter {

// Groups a text of decimal digits with dots: 1234 gives 1.234, 1234567
// gives 1.234.567. There are never more than two dots, so longer numbers
// keep their extra digits before the first one (1234.567.890).
std::string GroupThousands(std::string_view digits);

// Removes every blank and "." from a text of four or more characters, for a
// fixed-width monitor field; shorter texts come back unchanged.
std::string StripBlanksAndDots(std::string_view text);

// Returns the first of `lines` that begins with `prefix` (case-sensitive),
// or an empty text when none does.
std::string FindProfileLine(const std::vector<std::string>& lines, std::string_view prefix);

}  // namespace quillmeter

#endif  // QUILLMETER_OUTPUT_FORMATTING_H_
