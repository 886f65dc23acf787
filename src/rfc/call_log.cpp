#include "rfc/call_log.h"

namespace quillmeter {

std::string CallLogPath(const RunState& run) { return run.profile_name + ".log"; }

void LogRfcEvent(RunState& run, std::string_view event, std::string_view detail) {
  if (!run.options.call_log) return;
  std::string line = std::to_string(static_cast<int>(run.connection));
  line.append(" ").append(event).append(" ").append(detail).append("\n");
  // The log is an aid for the administrator; it never fails a scan.
  (void)run.platform.AppendFile(CallLogPath(run), line);
}

}  // namespace quillmeter
