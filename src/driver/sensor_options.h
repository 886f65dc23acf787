// What the parameter words say, read once. PRTG passes whatever the
// administrator typed, so every key is found in any letter case, anywhere in
// the words, and its value is taken in the caller's case.
#ifndef QUILLMETER_DRIVER_SENSOR_OPTIONS_H_
#define QUILLMETER_DRIVER_SENSOR_OPTIONS_H_

#include <optional>
#include <string>
#include <string_view>

#include "base/status.h"

namespace quillmeter {

struct SensorOptions {
  // The words as given, joined by one blank; the console trace shows them.
  std::string parameter_text;
  // The first word in upper case: the key of a sensor in the global listing.
  std::string first_word;

  // Any of "#", "@", "$", "%": banner and state lines around the answer.
  bool console_trace = false;
  // "@": the profile is opened where the command line names it, not
  // searched in the PRTG sensor directory.
  bool open_in_place = false;
  // "ITEM=": the multi-system run over the item profile, for this figure.
  std::optional<std::string> item;
  // "CH=": in Talvren mode only this channel's bare value (0 selects none).
  std::optional<unsigned> channel;
  // ",HOST=" and ",NO=": the application server and system number to use
  // instead of the profile's.
  std::optional<std::string> host;
  std::optional<std::string> system_number;
  // ",SYSLOG": the RFC call log.
  bool call_log = false;
  // "TIMEOUT=": the seconds the run may take before it answers whatever the
  // library does, 1 to 900.
  unsigned timeout_seconds = kDefaultTimeout;
  // "JOBS=": how many systems a multi-system run scans at once, 1 to 32.
  unsigned jobs = kDefaultJobs;

  static constexpr unsigned kDefaultTimeout = 50;
  static constexpr unsigned kMaxTimeout = 900;
  static constexpr unsigned kDefaultJobs = 4;
  static constexpr unsigned kMaxJobs = 32;
};

// Reads the keys and markers of `parameter_text`. A "TIMEOUT=" or "JOBS="
// that CheckNumbers refuses keeps the default.
SensorOptions ParseOptions(std::string_view parameter_text);

// Refuses a "TIMEOUT=" or "JOBS=" whose value (up to a blank or comma) is
// not a whole number in its range: "Error 1048: TIMEOUT= must be a whole
// number of seconds from 1 to 900 - read "5O"", followed by " in <source>"
// when `source` is not empty. A typo must not quietly give another time.
Status CheckNumbers(std::string_view parameter_text, std::string_view source = {});

// Options of a global listing's allocation text, which stands in for the
// parameter words from then on; the console trace, and "TIMEOUT=" and
// "JOBS=" where the command line gives them, stay as the command line set
// them.
SensorOptions AllocationOptions(const SensorOptions& command_line, std::string_view allocation);

// The parameters as the single-system trace line shows them: cut at the
// first "#", then at the first "@"; "(No Parameters)" when nothing remains.
std::string ParameterDisplay(std::string_view parameter_text);

// The parameters as the multi-system trace line shows them: each ":" a
// blank, cut before the first " @".
std::string ListingParameterDisplay(std::string_view parameter_text);

}  // namespace quillmeter

#endif  // QUILLMETER_DRIVER_SENSOR_OPTIONS_H_
