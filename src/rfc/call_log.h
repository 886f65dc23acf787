// The optional RFC call log, switched on by ",SYSLOG" in the parameters.
#ifndef QUILLMETER_RFC_CALL_LOG_H_
#define QUILLMETER_RFC_CALL_LOG_H_

#include <string>
#include <string_view>

#include "driver/run_state.h"

namespace quillmeter {

// The call log of a run: ProfileName + ".log" in the working directory, so
// sensors of different profiles in one directory keep separate logs.
std::string CallLogPath(const RunState& run);

// Appends "<handle> <event> <detail>\n" to the call log when the parameters
// hold ",SYSLOG"; does nothing otherwise. Each line reaches the file at
// once. A log that cannot be written is skipped. Never writes the password.
void LogRfcEvent(RunState& run, std::string_view event, std::string_view detail = {});

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_CALL_LOG_H_
