// The optional RFC call log, switched on by ",SYSLOG" in the parameters.
#ifndef QUILLMETER_RFC_CALL_LOG_H_
#define QUILLMETER_RFC_CALL_LOG_H_

#include <string_view>

#include "driver/run_state.h"

namespace quillmeter {

// Appends "<handle> <event> <detail>" to the call log when the parameters
// hold ",SYSLOG"; does nothing otherwise. Never writes the password.
void LogRfcEvent(RunState& run, std::string_view event, std::string_view detail = {});

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_CALL_LOG_H_
