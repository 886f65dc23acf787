// RFC failure reporting and the trace-file scan.
#ifndef QUILLMETER_RFC_FAILURE_H_
#define QUILLMETER_RFC_FAILURE_H_

#include <ostream>
#include <string_view>

#include "driver/run_state.h"

namespace quillmeter {

// Registers the RFC environment with ReportRfcFailure as the library's error
// handler, reporting on `run`. Needs a loaded library.
void RegisterRfcEnvironment(RunState& run);

// Prints the operation and the library's last-error fields as plain text,
// closes every connection and ends the process with exit code 1.
[[noreturn]] void ReportRfcFailure(RunState& run, std::string_view operation);

// Prints `indent` blanks, `label` left-justified in `width` characters (a
// longer label stays whole), " : ", `value` and a line feed.
void PrintField(std::ostream& out, std::string_view label, int indent, int width,
                std::string_view value);

// After a failed query: appends a hint from the library's trace file
// "Dev_Rfc.Trc" in the working directory to ResultText: its last error
// message, " - Please Check Trace-File !" without one, or
// " - Look for Trace-File" when the file cannot be read.
void ScanTraceFile(RunState& run);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_FAILURE_H_
