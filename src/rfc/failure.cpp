// Provisional: failure reporting is not built yet.
#include "rfc/failure.h"

namespace quillmeter {

void RegisterRfcEnvironment(RunState&) {}

void ReportRfcFailure(RunState& run, std::string_view) { run.platform.ExitProcess(1); }

void ScanTraceFile(RunState& run) { run.result.Append(" - Look for Trace-File"); }

}  // namespace quillmeter
