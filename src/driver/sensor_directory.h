// The search for the PRTG custom-sensor directory for EXE/XML sensors.
#ifndef QUILLMETER_DRIVER_SENSOR_DIRECTORY_H_
#define QUILLMETER_DRIVER_SENSOR_DIRECTORY_H_

#include <string>
#include <vector>

#include "driver/run_state.h"

namespace quillmeter {

// The default sensor directories under `drive_root`, in the order they are
// probed ("Programme", "Program Files", "Program Files (x86)").
std::vector<std::string> DefaultSensorDirectories(const RunState& run);

// Finds ProfileName in the directory that the path file names, else in the
// current directory, else in the default directories, and reads it into
// run.profile_contents. The directory must be an ExeXml directory. Sets
// ProfileDir and ProfilePath. Returns false with the error result set
// ("Error 1002" when not found, "Sorry, invalid Path-Usage..." elsewhere).
bool FindSensorDirectory(RunState& run);

}  // namespace quillmeter

#endif  // QUILLMETER_DRIVER_SENSOR_DIRECTORY_H_
