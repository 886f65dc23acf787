// Checks of what the sensor promises whatever it is given, shared by the
// bad-input tests and the fuzz targets: one well-formed PRTG document on
// standard output, and profiles that lose no line.
#ifndef QUILLMETER_TESTS_E2E_PRTG_ANSWER_H_
#define QUILLMETER_TESTS_E2E_PRTG_ANSWER_H_

#include <string>
#include <string_view>

namespace quillmeter {

// Empty when `out` is exactly one PRTG document: "<Prtg>" first and
// "</Prtg>" last but for line ends around them, known elements only,
// and element text escaped, valid UTF-8, without control characters and
// within PRTG's 2000 characters. Otherwise says what is wrong.
std::string DocumentFault(std::string_view out);

// The document in `out` with console trace lines around it: from the first
// "<Prtg>" to the end of the last "</Prtg>\n"; empty when there is none.
std::string_view DocumentPart(std::string_view out);

// Empty when `out` with its console trace lines (those starting "* ")
// taken out is one document as DocumentFault wants it, with at most blank
// lines around it.
std::string TracedDocumentFault(std::string_view out);

// Empty when `rewritten` holds every line of `original` other than history
// lines ("# Alg ", "# Alx ", "# Alm ") and the logon guard's ("# Alb "),
// whole and in order, whatever the line ends; otherwise says what was lost.
std::string RewriteFault(std::string_view original, std::string_view rewritten);

// `text` with bytes outside printable ASCII written as \xNN, cut at `limit`.
std::string Printable(std::string_view text, size_t limit = 300);

}  // namespace quillmeter

#endif  // QUILLMETER_TESTS_E2E_PRTG_ANSWER_H_
