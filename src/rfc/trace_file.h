// The classic library's trace file, "Dev_Rfc.Trc" in the working
// directory: after a failure its last error message is the best hint the
// administrator gets.
#ifndef QUILLMETER_RFC_TRACE_FILE_H_
#define QUILLMETER_RFC_TRACE_FILE_H_

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace quillmeter {

inline constexpr const char kTraceFile[] = "Dev_Rfc.Trc";

// The last error message of the trace text's last "**** ERROR " section,
// or "" when that section has none. The file is read as the vendor's tools
// read it, in pieces of at most 99 characters.
std::string LastTraceMessage(std::string_view contents);

// The hint to append to a failure's message: " - " and the trace file's last
// error message, " - Please Check Trace-File !" without one, or
// " - Look for Trace-File" when the file cannot be read.
std::string TraceHint(Platform& platform);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_TRACE_FILE_H_
