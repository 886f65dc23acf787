// The run driver: one scan from the command line to the exit code.
#ifndef QUILLMETER_DRIVER_RUN_H_
#define QUILLMETER_DRIVER_RUN_H_

#include "driver/run_state.h"

namespace quillmeter {

inline constexpr const char kProductName[] = "Quillmeter";
inline constexpr const char kVersionText[] = "Vers 4.3 / 29.08.22";

// Runs the sensor on run.arguments (without the program name): prints the
// document or console text on run.out and returns the exit code (0 success,
// 2 every reported error; 1 only through the RFC failure handler, which
// ends the process itself).
int RunSensor(RunState& run);

// The single-system run on the profile that RunSensor located.
int RunSingleSystem(RunState& run);

// Prints ResultText as it stands and returns exit code 2.
int PrintErrorResult(RunState& run);

// The "now processed" line that ends a run with the console trace on.
void PrintProcessedLine(RunState& run);

}  // namespace quillmeter

#endif  // QUILLMETER_DRIVER_RUN_H_
