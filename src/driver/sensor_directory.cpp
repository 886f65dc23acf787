#include "driver/sensor_directory.h"

#include "base/text.h"
#include "driver/command_line.h"
#include "output/document.h"

namespace quillmeter {
namespace {

std::string Join(const RunState& run, std::initializer_list<const char*> parts) {
  std::string path;
  for (const char* part : parts) {
    path += part;
    path += run.platform.PathSeparator();
  }
  return path;
}

// Opens dir + ProfileName; on success the profile is read.
bool Probe(RunState& run, const std::string& dir) {
  return run.platform.ReadFile(dir + run.profile_name, &run.profile_contents).ok();
}

bool ProfileMissing(RunState& run) {
  SetErrorResult(run, "Error 1002: Profile " + run.profile_name + " is missing...");
  return false;
}

// A path file line names a directory when it starts with a separator or
// with a drive ("D:" or "D:\").
bool NamesDirectory(const RunState& run, const std::string& line) {
  const Platform& p = run.platform;
  return (line.size() > 0 && p.IsPathSeparator(line[0])) || (line.size() > 1 && line[1] == ':') ||
         (line.size() > 2 && p.IsPathSeparator(line[2]));
}

}  // namespace

std::vector<std::string> DefaultSensorDirectories(const RunState& run) {
  std::string root = run.drive_root + run.platform.PathSeparator();
  std::vector<std::string> dirs;
  for (const char* programs : {"Programme", "Program Files", "Program Files (x86)"})
    dirs.push_back(root +
                   Join(run, {programs, "PRTG Network Monitor", "Custom Sensors", "ExeXml"}));
  return dirs;
}

bool FindSensorDirectory(RunState& run) {
  Platform& platform = run.platform;
  run.profile_dir.clear();
  std::string path_file;
  bool found = false;
  bool named = false;
  if (platform.ReadFile(run.prtg_path_file, &path_file).ok()) {
    for (const std::string& line : SplitLines(path_file)) {
      if (line.size() <= kMaxProfileDir && NamesDirectory(run, line)) {
        run.profile_dir = line;
        named = true;
      }
    }
  }
  // A path file that names no directory counts as absent.
  if (named) {
    if (!platform.IsPathSeparator(run.profile_dir.back()))
      run.profile_dir += platform.PathSeparator();
    for (std::string sub : {Join(run, {"PRTG Network Monitor", "Custom Sensors", "ExeXml"}),
                            Join(run, {"Custom Sensors", "ExeXml"})}) {
      if (Probe(run, run.profile_dir + sub)) run.profile_dir += sub;
    }
    if (!Probe(run, run.profile_dir)) return ProfileMissing(run);
    found = true;
  } else {
    found = Probe(run, run.profile_dir);
  }
  if (!found) {
    for (const std::string& dir : DefaultSensorDirectories(run)) {
      if (Probe(run, dir)) {
        run.profile_dir = dir;
        found = true;
        break;
      }
    }
    if (!found) return ProfileMissing(run);
  }

  // Only an ExeXml sensor directory may serve PRTG: the six characters
  // before the final separator must read EXEXML.
  const std::string& dir = run.profile_dir;
  if (dir.size() < 7 || UpperCase(dir.substr(dir.size() - 7, 6)) != "EXEXML") {
    SetErrorResult(run, "Sorry, invalid Path-Usage...");
    return false;
  }
  run.profile_path = dir + run.profile_name;
  run.output_mode = OutputMode::kExeXml;
  return true;
}

}  // namespace quillmeter
