// The command line: profile name and up to two parameter words.
#ifndef QUILLMETER_DRIVER_COMMAND_LINE_H_
#define QUILLMETER_DRIVER_COMMAND_LINE_H_

#include <string>

#include "driver/run_state.h"

namespace quillmeter {

// Longest profile file name, extension included.
constexpr size_t kMaxProfileName = 63;
// Longest directory given with the profile name.
constexpr size_t kMaxProfileDir = 255;
// Longest joined parameter words.
constexpr size_t kMaxParameters = 127;

// Takes run.arguments: sets ProfileName to the first argument and reads the
// options of the second and third, joined by one blank. Later arguments are
// ignored.
// Returns false with the error result set when there is no first argument
// or the parameters are too long to use safely.
bool ReadCommandLine(RunState& run);

}  // namespace quillmeter

#endif  // QUILLMETER_DRIVER_COMMAND_LINE_H_
