#include "check/system_check.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>

#include "base/text.h"
#include "driver/sensor_run.h"
#include "profiles/logon_guard.h"
#include "profiles/password.h"
#include "profiles/profile_update.h"
#include "profiles/prtg_credentials.h"
#include "profiles/system_profile.h"
#include "rfc/failure.h"
#include "scan/sample.h"
#include "scan/scan.h"

namespace quillmeter {

void CheckProgress::Track(const std::string& what, const std::string& step) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    what_ = what;
    step_ = step;
  }
  if (deadline_ != nullptr) deadline_->Track(what, step);
}

void CheckProgress::Step(const std::string& step) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    step_ = step;
  }
  if (deadline_ != nullptr) deadline_->Step(step);
}

std::string CheckProgress::what() const {
  std::lock_guard<std::mutex> hold(lock_);
  return what_;
}

std::string CheckProgress::step() const {
  std::lock_guard<std::mutex> hold(lock_);
  return step_;
}

std::string CheckStepName(const std::string& sensor_step) {
  if (sensor_step == ScanStepName(ScanStep::kOpen) || StartsWith(sensor_step, "waiting for"))
    return "logon";
  return sensor_step;
}

int CheckWithin(
    Platform& platform, CheckReport& report, unsigned seconds, Deadline::Clock::duration within,
    const std::function<void(CheckProgress& progress,
                             const std::function<void(unsigned)>& set_timeout)>& check) {
  std::atomic<unsigned> timeout{seconds};
  std::atomic<bool> late{false};
  const Deadline::Clock::time_point start = Deadline::Clock::now();
  Deadline deadline(
      start + within,
      [&](const std::string& what, const std::string& step) {
        late = true;
        report.Fail(CheckStepName(step),
                    "no answer from " + what + " within " + std::to_string(timeout) + " s",
                    "find out why " + what +
                        " answers so slowly, or give the sensor more time "
                        "with TIMEOUT= (at most 900 s, and below PRTG's own timeout)");
        report.Answer(NoAnswerMessage(what, timeout, step));
        report.Finish();
      },
      [&](int code) { platform.EndNow(late ? 1 : code); });
  CheckProgress progress(&deadline);
  check(progress, [&](unsigned moved) {
    timeout = moved;
    deadline.MoveTo(start + std::chrono::seconds(moved));
  });
  const int code = report.problems() == 0 ? 0 : 1;
  if (!deadline.Claim(code)) return 1;
  return report.Finish();
}

namespace {

constexpr char kProfileStep[] = "profile";
constexpr char kPasswordStep[] = "password";
constexpr char kGuardStep[] = "logon guard";
constexpr char kLibraryStep[] = "RFC library";
constexpr char kLogonStep[] = "logon";
constexpr char kHistoryStep[] = "history";
constexpr char kKeyRule[] =
    "a key is the line's first 12 characters and its value starts in column 25, as "
    "DEMO.Template shows";

// The number of a numbered message ("1004"), "" for none.
std::string ErrorNumber(const Status& status) {
  const std::string& message = status.message();
  if (!StartsWith(message, "Error ") || message.size() < 10) return std::string();
  return message.substr(6, 4);
}

bool IsPasswordFault(const Status& status) {
  const std::string number = ErrorNumber(status);
  return number == "1004" || number == "1005" || number == "1007" || number == "1047";
}

// The profile read with a valid stand-in for its password, stored or from
// PRTG: a password fault is reported first and would hide the other keys'.
Status ReadKeysAlone(const ProfileFile& file, const PrtgCredentials& prtg,
                     ConnectionProfile* profile) {
  std::string contents;
  for (const std::string& line : SplitLines(file.contents))
    if (!StartsWith(line, "Password...:")) contents += line + "\n";
  contents +=
      "Password...:" + std::string(13, ' ') + ScramblePassword("check", 0, "xxxxxxxxxxxxxxx");
  PrtgCredentials stand_in = prtg;
  for (const char* kind : {"prtg-windows", "prtg-linux"}) {
    const std::optional<CredentialVariables> variables = CredentialVariablesOf(kind);
    for (const char* variable : {variables->user, variables->password})
      if (stand_in.Value(variable).empty()) stand_in.Set(variable, "check");
  }
  return ReadSystemProfile(contents, file.name, profile, stand_in);
}

std::string ProfileValues(const ConnectionProfile& p) {
  std::string values = "Destination " + p.destination + ", Client " + p.client;
  values += p.user_variable.empty() ? ", User " + p.user : ", User from PRTG";
  values += ", Language " + p.language;
  if (!p.host_name.empty()) values += ", Hostname " + p.host_name;
  if (!p.system_number.empty()) values += ", Sysnr " + p.system_number;
  if (!p.gateway_host.empty()) values += ", Gwhost " + p.gateway_host;
  if (!p.mode.empty()) values += ", Mode " + p.mode;
  const std::string_view library = RfcLibraryChoiceName(p.library);
  return values + ", RfcLibrary " + (library.empty() ? "automatic" : std::string(library));
}

std::string ProfileFix(const Status& fault) {
  if (ErrorNumber(fault) == "1006")
    return "add a line \"User.......:\" with the RFC user; " + std::string(kKeyRule);
  return std::string("correct the line the cause names; ") + kKeyRule;
}

// What to do about a password fault of the profile at `path`.
std::string PasswordFix(const Status& fault, const std::string& path,
                        const ConnectionProfile& keys) {
  if (ErrorNumber(fault) == "1047")
    return "the check sees PRTG's credentials only in its own environment: set " +
           keys.user_variable + " and " + keys.password_variable +
           " in this console to check with them";
  return "write the password anew with: quillmeter-password \"" + path + "\"";
}

std::string GuardFix(const ConnectionProfile& profile, const std::string& path) {
  const std::string retry = "quillmeter-password --retry \"" + path + "\"";
  if (!profile.user_variable.empty())
    return "correct the device's credentials in PRTG, which lifts it; or, once SAP accepts the "
           "user again (SU01), lift it with: " +
           retry;
  return "write the right password with: quillmeter-password \"" + path +
         "\", which lifts it; or, once SAP accepts the user again (SU01), lift it with: " + retry;
}

// Where the vendor's library for this sensor comes from.
std::string LibraryFix(Platform& platform) {
  const std::string classic = RfcLibraryFileName();
  const bool windows = classic.size() > 4 && classic.substr(classic.size() - 4) == ".dll";
  const std::string dir = platform.ExecutableDir();
  return "put the " + std::to_string(sizeof(void*) * 8) + "-bit " +
         (windows ? "Windows" : "Linux") + " build of SAP's RFC library beside this program" +
         (dir.empty() ? std::string() : " (" + platform.FullPath(dir) + ")") + ": " + classic +
         " of the classic RFC SDK, or " + NetWeaverLibraryFileName() +
         " with the other files of the NetWeaver RFC SDK's lib folder";
}

std::string LibraryFound(const SapLibrary& library, RfcLibraryChoice choice) {
  const LibraryIdentity id = library.Identity();
  std::string found =
      id.kind + " library " + id.path + ", " + std::to_string(sizeof(void*) * 8) + "-bit";
  if (!id.version.empty()) found += ", version " + id.version;
  const std::string_view chosen = RfcLibraryChoiceName(choice);
  return found + (chosen.empty() ? " (chosen automatically: classic where it loads)"
                                 : " (RfcLibrary.: " + std::string(chosen) + ")");
}

// A library failure, which ends the process: its line, then the report's end.
class CheckFailureSink : public FailureSink {
 public:
  CheckFailureSink(CheckReport& report, CheckProgress& progress)
      : report_(report), progress_(progress) {}
  void Report(const LibraryFailure& failure) override {
    const std::string line = LibraryFailureLine(failure);
    report_.Fail(CheckStepName(progress_.step()), line,
                 "the library cannot go on; its trace file Dev_Rfc.Trc in the working folder "
                 "tells why");
    report_.Answer(line);
    report_.Finish();
  }
  void Aborted() override {}

 private:
  CheckReport& report_;
  CheckProgress& progress_;
};

std::string Seconds(std::chrono::steady_clock::duration duration) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f s", std::chrono::duration<double>(duration).count());
  return text;
}

std::string Today(Platform& platform) {
  const ClockTime now = platform.Now();
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", now.year % 10000, now.month % 100,
                now.day % 100);
  return text;
}

// The logon and the three calls, through the sensor's own scan.
ScanResult CheckScan(SensorContext& context, const SystemCheck& check,
                     const ConnectionProfile& profile, SapLibrary& library, CheckReport& report,
                     CheckProgress& progress) {
  Platform& platform = context.platform;
  const ProfileFile& file = check.file;
  ScanRequest request;
  request.open.profile = profile;
  request.open.profile_name = file.name;
  request.open.overrides = check.overrides;
  request.open.profile_folder = file.dir;
  request.history = check.history;
  request.profile_text = file.contents;
  std::map<std::string, std::chrono::steady_clock::time_point, std::less<>> began;
  request.progress = [&](std::string_view step) {
    began[std::string(step)] = std::chrono::steady_clock::now();
    progress.Step(std::string(step));
  };
  const std::string grant = " for the RFC user (S_RFC, its function group as SE37 shows it)";
  const std::string cpu_all(ScanStepName(ScanStep::kCollectionTime));
  const std::string info(ScanStepName(ScanStep::kSystemInfo));
  const std::string monitor(ScanStepName(ScanStep::kMonitor));
  // Each step's line as soon as it succeeded: a later step that hangs
  // still shows how far the scan came.
  request.succeeded = [&](ScanStep step, const ScanResult& so_far) {
    switch (step) {
      case ScanStep::kOpen:
        report.Ok(kLogonStep, profile.destination + ", client " + profile.client + ", user " +
                                  profile.user + ", language " + profile.language + ", in " +
                                  Seconds(std::chrono::steady_clock::now() -
                                          began[std::string(ScanStepName(ScanStep::kOpen))]));
        break;
      case ScanStep::kCollectionTime:
        report.Ok(cpu_all, "collection time " + WithoutTrailingBlanks(so_far.collection_text));
        break;
      case ScanStep::kSystemInfo:
        report.Ok(info, "database system " +
                            WithoutTrailingBlanks(so_far.system_info.database_system) +
                            " (MaxDB), host " + WithoutTrailingBlanks(so_far.system_info.host));
        break;
      case ScanStep::kMonitor: {
        std::string counters;
        for (size_t i = 0; i < kFigures.size(); ++i)
          counters += (i == 0 ? "" : ", ") + std::string(kFigures[i].monitor_field) + " " +
                      std::to_string(so_far.current[i]);
        report.Ok(monitor, counters);
        break;
      }
      case ScanStep::kDatabaseCheck:
      case ScanStep::kDone: break;
    }
  };
  CallLog log = check.call_log ? CallLog(platform, file.name + ".log") : CallLog();
  log.Event(0, "program started", platform.ExecutablePath());
  std::unique_ptr<SapSystem> system = library.NewSystem(log);
  progress.Track(profile.destination, std::string(ScanStepName(ScanStep::kOpen)));
  ScanResult scan = ScanSystem(*system, request);

  switch (scan.step) {
    case ScanStep::kOpen:
      if (scan.status.IsRefused()) {
        // As a scan would: the same refused data are never sent again.
        ProfileUpdate update;
        update.guard_change = ProfileUpdate::Guard::kSet;
        update.guard = NewLogonGuard(platform, profile, scan.status);
        Status saved = CommitProfileUpdate(platform, file.path, update);
        report.Fail(kLogonStep,
                    Rendered(scan.status) +
                        (saved.ok() ? " - the guard is set: no logon is sent again"
                                    : " - the guard could not be set: " + Rendered(saved)),
                    GuardFix(profile, platform.FullPath(file.path)));
        report.Answer(Status::Refused(RefusedLogonMessage(profile, update.guard, file.name),
                                      RefusedLogonCause(profile)));
        return scan;
      }
      report.Fail(kLogonStep, Rendered(scan.status),
                  "check Hostname, Sysnr (or Gwhost, Gwservice) and Destination, and that this "
                  "machine reaches the host; Dev_Rfc.Trc in the working folder tells more");
      break;
    case ScanStep::kCollectionTime:
      report.Fail(cpu_all, Rendered(scan.status), "allow " + cpu_all + grant);
      break;
    case ScanStep::kSystemInfo:
      report.Fail(info, Rendered(scan.status), "allow " + info + grant);
      break;
    case ScanStep::kDatabaseCheck:
      report.Fail(info,
                  "the database system is " +
                      WithoutTrailingBlanks(scan.system_info.database_system) + ", not MaxDB",
                  "the sensor reads MaxDB's database monitor only; this system needs another "
                  "sensor");
      break;
    case ScanStep::kMonitor:
      report.Fail(monitor, Rendered(scan.status), "allow " + monitor + grant);
      break;
    case ScanStep::kDone: return scan;
  }
  report.Answer(scan.status);
  return scan;
}

}  // namespace

void CheckSystem(SensorContext& context, const SystemCheck& check, CheckReport& report,
                 CheckProgress& progress) {
  Platform& platform = context.platform;
  const ProfileFile& file = check.file;
  const std::string full_path = platform.FullPath(file.path);
  const PrtgCredentials prtg = PrtgCredentials::Read(platform);

  // The profile's keys, then its password.
  ConnectionProfile profile;
  const Status read = ReadSystemProfile(file.contents, file.name, &profile, prtg);
  ConnectionProfile keys_profile = profile;
  Status keys = read;
  if (IsPasswordFault(read)) keys = ReadKeysAlone(file, prtg, &keys_profile);
  if (keys.ok())
    report.Ok(kProfileStep, full_path + ": " + ProfileValues(keys_profile));
  else
    report.Fail(kProfileStep, Rendered(keys), ProfileFix(keys));
  for (const std::string& key : UnknownKeys(file.contents))
    report.Warn(kProfileStep, "\"" + key +
                                  "\" is no key the sensor knows, and it passes over it: "
                                  "a typo?");
  if (IsPasswordFault(read)) {
    report.Fail(kPasswordStep, Rendered(read), PasswordFix(read, full_path, keys_profile));
  } else if (!keys_profile.user_variable.empty()) {
    report.Ok(kPasswordStep, "from PRTG's " + keys_profile.user_variable + " and " +
                                 keys_profile.password_variable);
    for (const std::string& line : SplitLines(file.contents))
      if (StartsWith(line, "User.......:") || StartsWith(line, "Password...:")) {
        report.Warn(kPasswordStep,
                    "the profile's User.......: and Password...: lines are not "
                    "used, as Credentials: takes them from PRTG");
        break;
      }
  } else if (!keys_profile.stored_password.empty()) {
    report.Ok(kPasswordStep, "the stored password decodes");
  }
  if (!read.ok()) report.Answer(read);

  // The guard, the library and the remote steps, as far as they can go.
  bool may_log_on = read.ok();
  if (read.ok()) {
    const std::optional<LogonGuard> guard = FindLogonGuard(file.contents);
    if (!guard) {
      report.Ok(kGuardStep, "none on record");
    } else if (GuardHolds(guard, profile)) {
      may_log_on = false;
      report.Fail(kGuardStep,
                  "the logon to " + profile.destination + " as " + profile.user +
                      " was refused on " + guard->date_time + " (" + guard->message +
                      "): no logon is sent while it holds",
                  GuardFix(profile, full_path));
      report.Answer(Status::Refused(RefusedLogonMessage(profile, *guard, file.name),
                                    RefusedLogonCause(profile)));
    } else {
      report.Ok(kGuardStep, "the guard of " + guard->date_time +
                                " is for other logon data: the next good logon lifts it");
    }
  }

  CheckFailureSink sink(report, progress);
  std::unique_ptr<SapLibrary> library;
  const RfcLibraryChoice choice = keys.ok() ? keys_profile.library : RfcLibraryChoice::kAutomatic;
  if (Status loaded = context.load_library(choice, sink, &library); !loaded.ok()) {
    report.Fail(kLibraryStep, Rendered(loaded), LibraryFix(platform));
    report.Answer(loaded);
    may_log_on = false;
  } else {
    report.Ok(kLibraryStep, LibraryFound(*library, choice));
  }

  std::optional<ScanResult> scan;
  if (may_log_on) scan = CheckScan(context, check, profile, *library, report, progress);
  const bool scanned = scan && scan->step == ScanStep::kDone;

  // The history: the sample the growth is measured against, and whether
  // the profile can be replaced.
  const std::string date = scan && !scan->collection_text.empty()
                               ? StampOfCollection(scan->collection_text).date
                               : Today(platform);
  const PreviousSample previous =
      FindPreviousSample(SplitLines(file.contents), check.history, date);
  std::string sample = "no sample on record: the first scan reports no growth";
  if (previous.found)
    sample = previous.same_day ? "last sample of " + date + ": " + OneLine(previous.line)
                               : "the last sample is of another day: growth starts from zero";
  if (Status probe = ProbeProfileReplace(platform, file.path); !probe.ok()) {
    report.Fail(kHistoryStep, sample + "; the profile cannot be replaced: " + Rendered(probe),
                "let the account PRTG's probe runs sensors as create, rename and delete files "
                "in " +
                    platform.FullPath(file.dir));
    if (scanned)
      report.Answer(Status::Error("Error 1016: ReWriting of Profile " + file.name + " failed !",
                                  probe.cause().empty() ? probe.message() : probe.cause()));
  } else {
    report.Ok(kHistoryStep, sample + "; the sensor can replace the profile");
  }
  if (scanned) report.Answer(SingleSystemSummary(profile.destination, scan->growth));
}

}  // namespace quillmeter
