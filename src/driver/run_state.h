// The state of one run of the sensor, passed to every operation.
#ifndef QUILLMETER_DRIVER_RUN_STATE_H_
#define QUILLMETER_DRIVER_RUN_STATE_H_

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "driver/sensor_options.h"
#include "output/output_mode.h"
#include "output/result_text.h"
#include "platform/platform.h"
#include "profiles/connection_profile.h"
#include "rfc/librfc.h"

namespace quillmeter {

struct RfcLibrary;

struct RunState {
  RunState(Platform& platform, std::ostream& out);
  ~RunState();
  RunState(const RunState&) = delete;
  RunState& operator=(const RunState&) = delete;

  Platform& platform;
  std::ostream& out;  // standard output: the document or console text

  // Command line.
  std::vector<std::string> arguments;  // without the program name
  std::string profile_name;            // ProfileName: file name part only
  SensorOptions options;               // what the parameter words say

  // Output mode and profile naming.
  OutputMode output_mode = OutputMode::kExeXml;
  bool item_mode = false;
  std::string item_id;           // ItemId
  std::string profile_dir;       // ProfileDir, ends with a separator or is empty
  std::string profile_path;      // ProfilePath
  std::string profile_contents;  // the profile as read from ProfilePath

  // Where the PRTG sensor directory is searched: the path file, and the
  // root that the default directories hang from ("" is the current drive).
  // Tests point both into a temporary tree.
  std::string prtg_path_file;
  std::string drive_root;

  // Output.
  ResultText result;      // ResultText
  std::string line_text;  // LineText: banner, later the state line
  bool run_ok = false;    // run state: "OK" when true, "ERR" otherwise
  unsigned channel_counter = 0;

  // System profile.
  ConnectionProfile profile;
  std::vector<std::string> profile_lines;  // ProfileLines, each line whole

  // RFC.
  std::unique_ptr<RfcLibrary> rfc;  // loaded when a run first needs it
  RFC_HANDLE connection = 0;

  // Sample stamp: the remote collection date (YYYYMMDD) and time (HH:MM:SS).
  std::string sample_date = "20000101";
  std::string sample_time = "16:20:21";

  // Multi-system run.
  std::string system_list;   // SystemList: names, each followed by "#"
  char label_kind = '1';     // LabelKind
  bool item_found = false;   // ItemFound: "X" when true, "." otherwise
  std::string system_alias;  // SystemAlias: the channel name of a system
  // Names this multi-system sensor in the history line it keeps in each
  // system's profile ("# Alm <name> Date=..."), e.g. "Tessarin.Prf/LogWrites".
  std::string item_history_name;
};

// The local time of day as HH:MM:SS.
std::string TimeOfDay(Platform& platform);

}  // namespace quillmeter

#endif  // QUILLMETER_DRIVER_RUN_STATE_H_
