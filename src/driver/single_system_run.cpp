// The single-system run: one profile, one connection, four channels.
#include "base/product.h"
#include "driver/sensor_run.h"
#include "output/formatting.h"
#include "profiles/logon_guard.h"
#include "profiles/profile_update.h"
#include "profiles/system_profile.h"
#include "scan/scan.h"

namespace quillmeter {
namespace {

void PrintStateLines(SensorRun& run, const std::string& name, const ConnectionProfile& p) {
  std::string time = run.TimeOfDay();
  run.Write(run.banner + "\n* " + time + " " + name + ", " + p.host_name + ", " + p.destination +
            ", " + p.system_number + ", " + p.client + " State=Processing\n* " + time + " " +
            kProductName + " - " + ParameterDisplay(run.options.parameter_text) +
            " State=Executing\n");
}

}  // namespace

std::string SingleSystemSummary(const std::string& destination, const Counters& growth) {
  std::string summary = "(" + destination + ") Logging: ";
  for (size_t i = 0; i < kFigures.size(); ++i) {
    if (i > 0) summary += ", ";
    summary += std::string(kFigures[i].summary_key) + GroupThousands(std::to_string(growth[i]));
  }
  return summary;
}

int RunSingleSystem(SensorRun& run, const ProfileFile& file) {
  Platform& platform = run.context.platform;
  ScanRequest request;
  request.open.profile_name = file.name;
  request.open.overrides = {run.options.host, run.options.system_number};
  request.open.profile_folder = file.dir;
  request.profile_text = file.contents;
  const ConnectionProfile& profile = request.open.profile;
  // Before any library is loaded: a sensor without PRTG's placeholders is
  // told so at once.
  if (Status read = ReadSystemProfile(file.contents, file.name, &request.open.profile,
                                      PrtgCredentials::Read(platform));
      !read.ok())
    return run.Fail(read);
  // SAP locks a user after a few refused logons: the same data are never
  // sent again, however often PRTG asks.
  const std::optional<LogonGuard> guard = FindLogonGuard(file.contents);
  if (GuardHolds(guard, profile))
    return run.Fail(Status::Refused(RefusedLogonMessage(profile, *guard, file.name),
                                    RefusedLogonCause(profile)));
  std::unique_ptr<SapLibrary> library;
  if (Status loaded = run.LoadLibrary(profile.library, &library); !loaded.ok())
    return run.Fail(loaded);

  CallLog log = run.CallLogOf(file.name);
  log.Event(0, "program started", platform.ExecutablePath());
  std::unique_ptr<SapSystem> system = library->NewSystem(log);
  if (run.options.console_trace) PrintStateLines(run, file.name, request.open.profile);

  if (run.deadline != nullptr) {
    run.deadline->Track(request.open.profile.destination, "RfcOpen");
    request.progress = [&run](std::string_view step) { run.deadline->Step(std::string(step)); };
  }
  ScanResult scan = ScanSystem(*system, request);
  if (run.options.console_trace && !scan.console_note.empty()) run.Write(scan.console_note + "\n");
  const std::string rewrite_failed = "Error 1016: ReWriting of Profile " + file.name + " failed !";
  if (scan.status.IsRefused()) {
    ProfileUpdate update;
    update.guard_change = ProfileUpdate::Guard::kSet;
    update.guard = run.GuardOf(profile, scan.status);
    if (run.deadline != nullptr) run.deadline->Step("profile rewrite");
    if (Status saved = CommitProfileUpdate(platform, file.path, update); !saved.ok())
      return run.Fail(Status::Error(
          rewrite_failed, saved.cause() + "; the logon was refused: " + update.guard.message));
    return run.Fail(Status::Refused(RefusedLogonMessage(profile, update.guard, file.name),
                                    RefusedLogonCause(profile)));
  }
  if (!scan.status.ok()) return run.Fail(scan.status);
  // A logon that succeeds lifts a guard whose logon data have changed.
  ProfileUpdate update;
  update.history = scan.history;
  update.guard_change = ProfileUpdate::Guard::kLift;
  if (update.history || guard) {
    if (run.deadline != nullptr) run.deadline->Step("profile rewrite");
    if (Status saved = CommitProfileUpdate(platform, file.path, update); !saved.ok())
      return run.Fail(Status::Error(rewrite_failed, saved.cause()));
  }

  ResultWriter& writer = *run.writer;
  writer.OpenDocument();
  writer.Summary(SingleSystemSummary(profile.destination, scan.growth));
  for (size_t i = 0; i < kFigures.size(); ++i)
    writer.Channel(kFigures[i].channel, std::to_string(scan.growth[i]), "");
  writer.CloseDocument();
  if (!run.Answer(0)) return 2;
  run.Print();
  library->DiscardTrace();
  run.PrintProcessedLine();
  return 0;
}

}  // namespace quillmeter
