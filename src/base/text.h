// Small text helpers shared by the readers of outside text.
#ifndef QUILLMETER_BASE_TEXT_H_
#define QUILLMETER_BASE_TEXT_H_

#include <string>
#include <string_view>
#include <vector>

namespace quillmeter {

// ASCII upper case; other bytes are left alone, whatever the locale.
std::string UpperCase(std::string_view text);

// Splits file contents into lines. A line ends at "\n", "\r\n" or a lone
// "\r"; the line ends are removed. A last line without an end counts.
std::vector<std::string> SplitLines(std::string_view contents);

// The line end `contents` uses, after its first line: "\r\n" for a file
// edited on Windows, else "\n".
std::string_view LineEndOf(std::string_view contents);

// `text` as one line of at most `limit` bytes: line ends and other control
// characters become blanks, runs of blanks one, no blank at either end. A
// UTF-8 character is never cut in half.
std::string OneLine(std::string_view text, size_t limit = std::string::npos);

// `text` without the blanks that pad it on the right, as the library's
// fixed-width fields come; WithoutBlanks also drops those on the left.
std::string WithoutTrailingBlanks(std::string_view text);

// `parts` with `separator` between each two.
std::string Joined(const std::vector<std::string>& parts, std::string_view separator);
std::string WithoutBlanks(std::string_view text);

// Each byte of `bytes` as two lower-case hex digits.
std::string LowerHex(std::string_view bytes);

// True when `text` begins with `prefix`.
inline bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace quillmeter

#endif  // QUILLMETER_BASE_TEXT_H_
