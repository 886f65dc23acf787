// The result document and the error result. Their wording depends on the
// run's output mode; all of them work on the run's ResultText.
#ifndef QUILLMETER_OUTPUT_DOCUMENT_H_
#define QUILLMETER_OUTPUT_DOCUMENT_H_

#include <string_view>

#include "driver/run_state.h"

namespace quillmeter {

// Starts a document: "\n<Prtg>\n" in the document modes, empty in the
// console modes.
void OpenDocument(RunState& run);

// Opens the summary text element ("\n<Text>", or "\n# " in the console modes).
void OpenText(RunState& run);

// Appends text for inside an element: escaped for XML in the document modes,
// unchanged in the console modes.
void AppendElementText(RunState& run, std::string_view text);

// Closes the summary text. In Talvren mode with "CH=" in the parameters it
// discards everything assembled so far, so that only one bare value remains.
void CloseText(RunState& run);

// Ends the document ("\n</Prtg>\n", or "\n" in the console modes).
void CloseDocument(RunState& run);

// Replaces ResultText with a PRTG error document carrying `message`. The
// message is escaped in the document modes and cut so that the document
// always ends complete.
void SetErrorResult(RunState& run, std::string_view message);

}  // namespace quillmeter

#endif  // QUILLMETER_OUTPUT_DOCUMENT_H_
