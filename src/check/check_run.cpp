#include "check/check_run.h"

#include <chrono>
#include <functional>

#include "base/text.h"
#include "check/check_report.h"
#include "check/listing_check.h"
#include "check/system_check.h"
#include "driver/command_line.h"
#include "driver/profile_naming.h"
#include "driver/sensor_run.h"

namespace quillmeter {
namespace {

constexpr char kUsage[] =
    "Usage: quillmeter-check PROFILE [WORD [WORD]]\n"
    "Takes the sensor's own arguments (quillmeter-check PRD, quillmeter-check global SENS1,\n"
    "quillmeter-check x ITEM=LogWrites) and checks every step a scan with them takes, one\n"
    "line each: [ok], [warn] or [FAIL] with what to do. It never writes history; a logon\n"
    "SAP refuses sets the logon guard, as a scan would. Exit code 0: no problem; 1: a step\n"
    "failed; 2: the check could not start.\n";

// The output mode and the marker files that select it.
void CheckOutputMode(Platform& platform, OutputMode mode, CheckReport& report) {
  const std::string dir = platform.ExecutableDir();
  std::vector<std::string> markers;
  for (OutputMode marked : MarkedOutputModes(platform))
    markers.push_back(platform.FullPath(dir + ModeMarkerFile(marked)));
  const std::string name(OutputModeName(mode));
  if (markers.empty())
    report.Ok("output mode", name + ", no marker file beside this program" +
                                 (dir.empty() ? std::string() : " in " + platform.FullPath(dir)));
  else if (markers.size() == 1)
    report.Ok("output mode", name + ", selected by " + markers[0]);
  else
    report.Warn("output mode", name + ", as the last of the marker files " + Joined(markers, ", ") +
                                   " wins: remove the others");
}

// The sensor folder and the profile in it; false when the check cannot go on.
bool CheckSensorFolder(SensorContext& context, const ProfileName& naming, OutputMode mode,
                       const SensorOptions& options, ProfileFile* file, CheckReport& report) {
  Platform& platform = context.platform;
  constexpr char kStep[] = "sensor folder";
  SensorDirectorySearch search;
  const Status opened = OpenProfile(platform, context.roots, naming, mode, options, file, &search);
  if (mode != OutputMode::kExeXml || options.open_in_place) {
    report.Ok(kStep,
              std::string("not searched: ") +
                  (options.open_in_place ? "\"@\"" : std::string(OutputModeName(mode)) + " mode") +
                  " opens the profile where its name says");
    if (!opened.ok())
      report.Fail("profile", Rendered(opened), "check the profile's name and folder");
  } else if (opened.ok()) {
    report.Ok(kStep, platform.FullPath(file->dir) + ", found through " + search.rule);
  } else if (StartsWith(opened.message(), "Error 1002")) {
    // Every folder, whole: the document's cut is PRTG's, not the check's.
    report.Fail(kStep, opened.message() + " - searched: " + Joined(search.searched, "; "),
                "copy " + naming.name + " into PRTG's folder for EXE/XML sensors, " +
                    "Custom Sensors" + platform.PathSeparator() +
                    "EXEXML in PRTG's program "
                    "folder");
  } else {
    report.Fail(kStep, Rendered(opened),
                "PRTG starts EXE/XML sensors from the EXEXML folder of its Custom Sensors "
                "folder: put the sensor and its profiles there");
  }
  if (opened.ok()) return true;
  report.Answer(opened);
  return false;
}

}  // namespace

int RunCheck(const std::vector<std::string>& arguments, SensorContext& context, std::istream& in) {
  if (arguments.size() == 1 && arguments[0] == kSystemCheckEntry)
    return RunSystemCheckJob(context, in);
  if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "-h")) {
    context.out << kUsage;
    return 0;
  }
  Platform& platform = context.platform;
  CommandLine command_line;
  ProfileName naming;
  Status usable = ReadCommandLine(arguments, &command_line);
  if (usable.ok())
    usable = NameProfile(platform, command_line.profile, command_line.options, &naming);
  if (!usable.ok()) {
    context.out << "quillmeter-check: " << CheckLineText(Rendered(usable)) << "\n" << kUsage;
    return 2;
  }
  const SensorOptions& options = command_line.options;

  CheckReport report(context.out);
  return CheckWithin(
      platform, report, options.timeout_seconds, std::chrono::seconds(options.timeout_seconds),
      [&](CheckProgress& progress, const std::function<void(unsigned)>& set_timeout) {
        progress.Track(naming.name, "sensor folder");
        const OutputMode mode = SelectedOutputMode(platform);
        CheckOutputMode(platform, mode, report);
        ProfileFile file;
        if (!CheckSensorFolder(context, naming, mode, options, &file, report)) return;
        if (naming.item_mode) {
          ListingCheck listing{file, options, command_line.second_argument, set_timeout};
          CheckListing(context, listing, report, progress);
        } else {
          SystemCheck check{
              file, HistoryKey{}, {options.host, options.system_number}, options.call_log};
          CheckSystem(context, check, report, progress);
        }
      });
}

}  // namespace quillmeter
