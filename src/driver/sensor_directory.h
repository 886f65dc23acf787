// The search for the PRTG custom-sensor directory for EXE/XML sensors.
#ifndef QUILLMETER_DRIVER_SENSOR_DIRECTORY_H_
#define QUILLMETER_DRIVER_SENSOR_DIRECTORY_H_

#include <string>
#include <vector>

#include "base/status.h"
#include "platform/platform.h"

namespace quillmeter {

// A profile file as it was found and read.
struct ProfileFile {
  std::string dir;   // ends with a separator, or "" for the current directory
  std::string name;  // the file name
  std::string path;  // dir + name
  std::string contents;
};

// Where the search starts; tests point both into a temporary tree.
struct SearchRoots {
  std::string path_file;   // the file naming the PRTG installation directory
  std::string drive_root;  // what the default directories hang from, "" the current drive
};

// The default sensor directories, in the order they are probed
// ("Programme", "Program Files", "Program Files (x86)").
std::vector<std::string> DefaultSensorDirectories(const Platform& platform,
                                                  const std::string& drive_root);

// How the search went, for an administrator checking a setup.
struct SensorDirectorySearch {
  // Which rule found the directory: "the path file <file>", "the current
  // folder", or "the default folder".
  std::string rule;
  std::vector<std::string> searched;  // every directory probed, full
};

// Finds profile `name` in the directory the path file names, else in the
// current directory, else in the default directories, and reads it into
// *file. The directory must be an ExeXml directory (the current one judged
// by its full name). Fails with "Error 1002: Profile <name> is missing...",
// its cause the directories searched (whole ones, as many as PRTG shows),
// or "Sorry, invalid Path-Usage...", its cause why and the directory found.
// *search, when given, receives how the search went.
Status FindSensorDirectory(Platform& platform, const SearchRoots& roots, const std::string& name,
                           ProfileFile* file, SensorDirectorySearch* search = nullptr);

}  // namespace quillmeter

#endif  // QUILLMETER_DRIVER_SENSOR_DIRECTORY_H_
