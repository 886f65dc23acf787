// Number formatting for the summary text.
#ifndef QUILLMETER_OUTPUT_FORMATTING_H_
#define QUILLMETER_OUTPUT_FORMATTING_H_

#include <string>
#include <string_view>

namespace quillmeter {

// Groups a text of decimal digits with dots: 1234 gives 1.234, 1234567
// gives 1.234.567. There are never more than two dots, so longer numbers
// keep their extra digits before the first one (1234.567.890).
std::string GroupThousands(std::string_view digits);

}  // namespace quillmeter

#endif  // QUILLMETER_OUTPUT_FORMATTING_H_
