// The measurement: four logging counters, their growth since the previous
// sample of the same day, and the history kept in the profile.
#ifndef QUILLMETER_QUERIES_LOGGING_RATES_H_
#define QUILLMETER_QUERIES_LOGGING_RATES_H_

#include <cstdint>
#include <string_view>

#include "driver/run_state.h"

namespace quillmeter {

// Queries the database monitor on run.connection and takes the counters of
// the table's last line. Outside the multi-system run: compares them with
// the profile's first "# Alg Date=" line, rewrites the profile when the
// sample changed, and appends the summary and four channels to ResultText.
// In the multi-system run: does the same against this sensor's own
// "# Alm <item_history_name> Date=" line and prints the system's one channel,
// setting ItemFound only when ItemId names one of the four figures.
// Sets the run state to "OK" on success; a query failure or a failed
// rewrite (profile left as it was) appends its message and leaves "ERR".
// Returns the query's result code. Library faults end the process.
RFC_RC ComputeLoggingRates(RunState& run);

// The value of a monitor field: blanks and dots removed, then the leading
// decimal digits. No digits, or a number beyond 64 bits, gives 0.
std::uint64_t CounterValue(std::string_view field);

}  // namespace quillmeter

#endif  // QUILLMETER_QUERIES_LOGGING_RATES_H_
