// GET_CPU_ALL: the remote system's last collection time stamps the sample.
#ifndef QUILLMETER_QUERIES_COLLECTION_TIME_H_
#define QUILLMETER_QUERIES_COLLECTION_TIME_H_

#include <string_view>

#include "driver/run_state.h"

namespace quillmeter {

// Calls GET_CPU_ALL on run.connection. On success sets the run state to
// "OK" and takes SampleDate and SampleTime from the last-collection text;
// on failure appends the mapped error text. Returns the result code.
// Library failures on the internal table end the process.
RFC_RC ReadCollectionTime(RunState& run);

// Turns a last-collection text ("Wed Jun  1 09:05:07 2011") into SampleDate
// (YYYYMMDD, century always "20") and SampleTime (HH:MM:SS). An unknown
// month name leaves its letters; a byte that is not printable becomes "?".
void TakeCollectionTime(RunState& run, std::string_view last_collection);

}  // namespace quillmeter

#endif  // QUILLMETER_QUERIES_COLLECTION_TIME_H_
