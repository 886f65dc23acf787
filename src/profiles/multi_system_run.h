// The multi-system run: one figure per system of a list.
#ifndef QUILLMETER_PROFILES_MULTI_SYSTEM_RUN_H_
#define QUILLMETER_PROFILES_MULTI_SYSTEM_RUN_H_

#include "driver/run_state.h"

namespace quillmeter {

// Builds the system list from the item profile or the global listing at
// ProfilePath, then processes every system and prints the document with
// one channel per system and a summary. Returns the exit code.
int RunMultiSystem(RunState& run);

}  // namespace quillmeter

#endif  // QUILLMETER_PROFILES_MULTI_SYSTEM_RUN_H_
