// The measurement: four logging counters, their growth since the previous
// sample of the same day, and the history kept in the profile.
#ifndef QUILLMETER_QUERIES_LOGGING_RATES_H_
#define QUILLMETER_QUERIES_LOGGING_RATES_H_

#include "driver/run_state.h"

namespace quillmeter {

// Queries the database monitor on run.connection, compares the counters
// with the profile's history, rewrites the profile when the sample changed,
// and appends the summary and channels to ResultText (in the multi-system
// run: prints the system's one channel). Sets the run state to "OK" on
// success; a query failure or a failed rewrite appends its message instead.
// Returns the query's result code.
RFC_RC ComputeLoggingRates(RunState& run);

}  // namespace quillmeter

#endif  // QUILLMETER_QUERIES_LOGGING_RATES_H_
