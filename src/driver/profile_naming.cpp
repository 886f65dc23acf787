#include "driver/profile_naming.h"

#include "base/text.h"
#include "driver/command_line.h"
#include "driver/sensor_directory.h"
#include "output/document.h"

namespace quillmeter {
namespace {

constexpr const char kItemProfile[] = "Tessarin.Prf";
constexpr const char kGlobalProfile[] = "SAP Tessarin.Gbl";

void AppendDefaultExtension(std::string& name) {
  if (name.size() < 4 || name[name.size() - 4] != '.') name += ".P00";
}

void SelectGlobalListing(RunState& run) {
  if (UpperCase(run.profile_name) == "GLOBAL.P00") {
    run.item_mode = true;
    run.profile_name = kGlobalProfile;
  }
}

}  // namespace

bool NameProfile(RunState& run) {
  if (run.options.item) {
    run.item_id = *run.options.item;
    run.item_mode = true;
    run.profile_name = kItemProfile;
  }
  AppendDefaultExtension(run.profile_name);
  SelectGlobalListing(run);

  run.output_mode = OutputMode::kExeXml;

  run.profile_dir.clear();
  const std::string& name = run.profile_name;
  for (size_t i = name.size(); i > 1; --i) {
    if (run.platform.IsPathSeparator(name[i - 1])) {
      run.profile_dir = name.substr(0, i);
      run.profile_name = name.substr(i);
      break;
    }
  }
  SelectGlobalListing(run);

  // A cut name would open another system's profile; refuse it instead.
  if (run.profile_name.size() > kMaxProfileName || run.profile_dir.size() > kMaxProfileDir) {
    SetErrorResult(run, "Error 1008: Profile-Name too long !");
    return false;
  }
  return true;
}

OutputMode SelectedOutputMode(Platform& platform) {
  static constexpr OutputMode kModes[] = {OutputMode::kVorlind, OutputMode::kQuintara,
                                          OutputMode::kTalvren, OutputMode::kDrovimo};
  std::string dir = platform.ExecutableDir();
  OutputMode mode = OutputMode::kExeXml;
  if (dir.empty()) return mode;
  std::string contents;
  for (size_t i = 0; i < std::size(kModes); ++i)
    if (platform.ReadFile(dir + kModeMarkerFiles[i], &contents).ok()) mode = kModes[i];
  return mode;
}

bool OpenProfile(RunState& run) {
  run.output_mode = SelectedOutputMode(run.platform);
  bool search = run.output_mode == OutputMode::kExeXml && !run.options.open_in_place;
  if (search) return FindSensorDirectory(run);

  run.profile_path = run.profile_dir + run.profile_name;
  if (!run.platform.ReadFile(run.profile_path, &run.profile_contents).ok()) {
    // The product modes name the whole path; the PRTG mode names the profile.
    const std::string& shown =
        run.output_mode == OutputMode::kExeXml ? run.profile_name : run.profile_path;
    SetErrorResult(run, "Error 1002: Profile " + shown + " is missing...");
    return false;
  }
  return true;
}

}  // namespace quillmeter
