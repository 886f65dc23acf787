#include "profiles/multi_system_run.h"

#include <algorithm>

#include "driver/command_line.h"
#include "driver/run.h"
#include "output/document.h"
#include "output/xml_text.h"
#include "profiles/global_listing.h"
#include "profiles/system_profile.h"
#include "queries/collection_time.h"
#include "queries/logging_rates.h"
#include "queries/system_info.h"
#include "rfc/call_log.h"
#include "rfc/connection.h"
#include "rfc/failure.h"
#include "rfc/rfc_loader.h"

namespace quillmeter {
namespace {

struct Tally {
  unsigned systems = 0;
  unsigned processed = 0;
  unsigned failed = 0;
};

// Takes the next name off SystemList: the text up to its "#", or the rest.
std::string NextSystem(RunState& run) {
  std::string& list = run.system_list;
  size_t end = list.find('#');
  std::string name = list.substr(0, end);
  list.erase(0, end == std::string::npos ? list.size() : end + 1);
  return name;
}

// A name that cannot be a profile's: too long for one, or one whose NUL
// would make the file system open a shorter name.
bool IsUsableName(const std::string& name) {
  return name.size() <= kMaxProfileName && name.find('\0') == std::string::npos;
}

std::string AliasOf(const RunState& run, const std::string& name) {
  switch (run.label_kind) {
    case '2': return name.substr(0, name.size() < 4 ? 0 : name.size() - 4);
    case '3': return run.profile.host_name;
    case '4': return run.profile.destination;
    default: return name;
  }
}

void PrintStartLines(RunState& run) {
  run.out << run.line_text << "\n";
  run.out << "* " << TimeOfDay(run.platform) << " "
          << ListingParameterDisplay(run.options.parameter_text) << " State=Executing\n";
}

// Ends the run on a fault that stops every system. Standard output already
// holds the opened document and earlier systems' channels, so in the
// document modes that document is finished as an error instead of a second
// document being started after it.
int EndRun(RunState& run, const std::string& message) {
  CloseConnection(run);
  if (!IsDocumentMode(run.output_mode)) {
    SetErrorResult(run, message);
    return PrintErrorResult(run);
  }
  static constexpr std::string_view kHead = "<Error>1</Error>\n<Text>";
  static constexpr std::string_view kTail = "</Text>\n</Prtg>\n";
  run.result.Set(kHead);
  run.result.Append(EscapeXml(message, run.result.room() - kTail.size()));
  run.result.Append(kTail);
  return PrintErrorResult(run);
}

// A failed query: its message with the trace file's hint.
int EndRunOnQueryFailure(RunState& run) {
  ScanTraceFile(run);
  std::string message = run.result.str();  // EndRun rebuilds ResultText
  return EndRun(run, message);
}

}  // namespace

int RunMultiSystem(RunState& run) {
  if (!BuildSystemList(run) || !LoadRfcLibrary(run)) return PrintErrorResult(run);
  LogRfcEvent(run, "program started", run.platform.ExecutablePath());
  if (run.options.console_trace) PrintStartLines(run);

  OpenDocument(run);
  run.out << run.result.str() << "\n";
  run.result.Clear();

  Tally tally;
  while (!run.system_list.empty()) {
    run.item_found = false;
    ++tally.systems;
    const std::string name = NextSystem(run);
    run.profile_name = name;
    run.profile_path = run.profile_dir + name;
    run.system_alias = name;

    bool valid = false;
    if (IsUsableName(name)) {
      SystemProfileRead read = ReadProfileForSystem(run, run.profile_path);
      if (read == SystemProfileRead::kMissing) continue;
      valid = read == SystemProfileRead::kValid;
    } else {
      run.profile = ConnectionProfile();
    }
    run.system_alias = AliasOf(run, name);

    if (run.options.console_trace) {
      const ConnectionProfile& p = run.profile;
      run.line_text = "* " + TimeOfDay(run.platform) + " " + name + ", " + p.display_host + ", " +
                      p.destination + ", " + p.system_number + ", " + p.client;
    }

    RegisterRfcEnvironment(run);
    LogRfcEvent(run, "RfcEnvironment called");
    run.result.Clear();
    run.run_ok = false;
    // A logon known to be incomplete or wrong is never sent: SAP would
    // count it against the RFC user and may lock it.
    if (valid && run.connection == 0 && OpenConnection(run) == 0) valid = false;

    if (valid) {
      run.run_ok = false;
      ReadCollectionTime(run);
      if (!run.run_ok) return EndRunOnQueryFailure(run);
      run.run_ok = false;
      SystemInfo info;
      ReadSystemInfo(run, &info);
      if (!run.run_ok) return EndRunOnQueryFailure(run);
      if (!IsMaxDb(info)) return EndRun(run, "Error 1018: DataBase mismatch !");
      run.run_ok = false;
      ComputeLoggingRates(run);
    }
    CloseConnection(run);
    // A failed figure left its message here; it must not end up in the
    // summary.
    run.result.Clear();

    const char* state = "Processed";
    if (!run.item_found) state = "Not Found";
    if (!valid || !run.run_ok) state = "Rfc Failure";
    if (valid && run.run_ok && run.item_found)
      ++tally.processed;
    else
      ++tally.failed;
    if (run.options.console_trace) run.out << "\n" << run.line_text << " State=" << state << "\n";
  }

  OpenText(run);
  AppendElementText(run, "(***) " + run.item_id + ": NoSystems=" + std::to_string(tally.systems) +
                             ", Processed=" + std::to_string(tally.processed) +
                             ", Failed=" + std::to_string(tally.failed));
  CloseText(run);
  CloseDocument(run);
  run.out << run.result.str() << "\n";
  CloseConnection(run);
  PrintProcessedLine(run);
  run.out.flush();
  return 0;
}

}  // namespace quillmeter
