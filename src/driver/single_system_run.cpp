// The single-system run: one profile, one connection, four channels.
#include "driver/command_line.h"
#include "driver/run.h"
#include "output/document.h"
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

constexpr const char kTraceFile[] = "Dev_Rfc.Trc";

// A failed query: its message with the trace file's hint becomes the error
// document.
int QueryFailure(RunState& run) {
  ScanTraceFile(run);
  std::string message = run.result.str();
  SetErrorResult(run, message);
  CloseConnection(run);
  return PrintErrorResult(run);
}

void PrintStateLines(RunState& run) {
  const ConnectionProfile& p = run.profile;
  std::string time = TimeOfDay(run.platform);
  run.out << run.line_text << "\n";
  run.out << "* " << time << " " << run.profile_name << ", " << p.host_name << ", " << p.destination
          << ", " << p.system_number << ", " << p.client << " State=Processing\n";
  run.out << "* " << time << " " << kProductName << " - "
          << ParameterDisplay(run.options.parameter_text) << " State=Executing\n";
}

}  // namespace

int RunSingleSystem(RunState& run) {
  if (!ReadSystemProfile(run)) return PrintErrorResult(run);
  if (!LoadRfcLibrary(run)) return PrintErrorResult(run);
  LogRfcEvent(run, "program started", run.platform.ExecutablePath());
  RegisterRfcEnvironment(run);
  LogRfcEvent(run, "RfcEnvironment called");

  run.result.Clear();
  run.run_ok = false;
  if (run.options.console_trace) PrintStateLines(run);

  std::string refusal;
  if (OpenConnection(run, &refusal) == 0) {
    SetErrorResult(run, !refusal.empty()
                            ? refusal
                            : "Error 1011: RFC-Open for " + run.profile.destination + " failed !");
    return PrintErrorResult(run);
  }

  run.run_ok = false;
  ReadCollectionTime(run);
  if (!run.run_ok) return QueryFailure(run);

  run.run_ok = false;
  SystemInfo info;
  ReadSystemInfo(run, &info);
  if (!run.run_ok) return QueryFailure(run);
  if (!IsMaxDb(info)) {
    CloseConnection(run);
    SetErrorResult(run, "Error 1018: DataBase mismatch !");
    return PrintErrorResult(run);
  }

  run.run_ok = false;
  ComputeLoggingRates(run);
  CloseConnection(run);
  if (!run.run_ok) return QueryFailure(run);

  run.out << run.result.str();
  (void)run.platform.RemoveFile(kTraceFile);
  PrintProcessedLine(run);
  run.out.flush();
  return 0;
}

}  // namespace quillmeter
