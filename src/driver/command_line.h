// The command line: profile name and up to two parameter words.
#ifndef QUILLMETER_DRIVER_COMMAND_LINE_H_
#define QUILLMETER_DRIVER_COMMAND_LINE_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "driver/sensor_options.h"
#include "profiles/global_listing.h"

namespace quillmeter {

// Longest profile file name, extension included.
constexpr size_t kMaxProfileName = 63;
// False for a name that cannot be a profile's: too long for one, or one
// whose NUL would make the file system open a shorter name.
inline bool IsUsableProfileName(std::string_view name) {
  return name.size() <= kMaxProfileName && name.find('\0') == std::string_view::npos;
}

// Longest directory given with the profile name.
constexpr size_t kMaxProfileDir = 255;
// Longest joined parameter words; an allocation stands in for them.
constexpr size_t kMaxParameters = kMaxAllocationParameters;

struct CommandLine {
  std::string profile;          // the first argument
  std::string second_argument;  // as given, "" when there is none
  SensorOptions options;        // of the second and third, joined by one blank
};

// Reads `arguments` (without the program name); later ones than the third
// are ignored. Fails with "Error 1001" without a first argument, "Error
// 1009" for parameters too long to use safely (cutting them could drop a
// marker or change an item) and "Error 1048" for a "TIMEOUT=" or "JOBS="
// that is no number in its range.
Status ReadCommandLine(const std::vector<std::string>& arguments, CommandLine* command_line);

}  // namespace quillmeter

#endif  // QUILLMETER_DRIVER_COMMAND_LINE_H_
