// Text made safe for the inside of a PRTG document element.
#ifndef QUILLMETER_OUTPUT_XML_TEXT_H_
#define QUILLMETER_OUTPUT_XML_TEXT_H_

#include <string>
#include <string_view>

namespace quillmeter {

// Returns `text` with "&", "<" and ">" written as entities. Bytes that XML
// or PRTG's parser cannot take (control characters other than tab, and
// anything that is not valid UTF-8, such as a name in a Windows code page)
// become "?". The result is at most `limit` bytes; an entity or character
// is never cut in half.
std::string EscapeXml(std::string_view text, size_t limit = std::string::npos);

}  // namespace quillmeter

#endif  // QUILLMETER_OUTPUT_XML_TEXT_H_
