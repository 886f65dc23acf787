// Channel results: one measured value in the form of the run's output mode.
#ifndef QUILLMETER_OUTPUT_CHANNEL_H_
#define QUILLMETER_OUTPUT_CHANNEL_H_

#include <string_view>

#include "driver/run_state.h"

namespace quillmeter {

// Appends one channel to ResultText and counts it in channel_counter:
// a <Result> block in the document modes, a message/statistic pair in
// Quintara mode (first ten channels only), a reading line in Talvren mode,
// or the bare value when Talvren's "CH=" selects this channel. The name and
// unit are cut at 123 characters and the value at 111. An empty unit means
// a plain count.
void AddChannel(RunState& run, std::string_view name, std::string_view value,
                std::string_view unit);

}  // namespace quillmeter

#endif  // QUILLMETER_OUTPUT_CHANNEL_H_
