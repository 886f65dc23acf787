// What the single-system and the multi-system run share: the context, the
// options, the writer of the output mode, and the console trace.
#ifndef QUILLMETER_DRIVER_SENSOR_RUN_H_
#define QUILLMETER_DRIVER_SENSOR_RUN_H_

#include <atomic>
#include <memory>
#include <string>

#include "base/status.h"
#include "driver/deadline.h"
#include "driver/sensor.h"
#include "driver/sensor_directory.h"
#include "driver/sensor_options.h"
#include "output/result_writer.h"
#include "profiles/figures.h"
#include "profiles/logon_guard.h"
#include "rfc/call_log.h"

namespace quillmeter {

// The message of `status`, and its cause as one line after " - ".
std::string Rendered(const Status& status);

struct SensorRun;

// "Error 1044: No answer from <what> within <seconds> s (<step>) !": the
// late answer of a run whose time is up.
std::string NoAnswerMessage(const std::string& what, unsigned seconds, const std::string& step);

// Prints a failure the library reports in the run's form: a PRTG error
// document in the document modes (ending the document a multi-system run
// has opened), the plain report in the console modes.
class FailurePrinter : public FailureSink {
 public:
  explicit FailurePrinter(SensorRun& run) : run_(run) {}
  void Report(const LibraryFailure& failure) override;
  void Aborted() override;

 private:
  SensorRun& run_;
  bool answered_ = false;
};

struct SensorRun {
  explicit SensorRun(SensorContext& context) : context(context), failure_printer(*this) {}

  SensorContext& context;
  SensorOptions options;
  OutputMode mode = OutputMode::kExeXml;
  std::unique_ptr<ResultWriter> writer;
  std::string second_argument;  // the command line's, as given
  std::string banner;           // "* HH:MM:SS SAP Quillmeter Vers ...", taken at start
  // The start of a document is printed already; the late answer reads it.
  std::atomic<bool> document_open{false};
  FailurePrinter failure_printer;
  Deadline* deadline = nullptr;  // none in tests that need none
  // When the run began, and the seconds it may take from then: the
  // deadline's, which its late answer names.
  Deadline::Clock::time_point start = Deadline::Clock::now();
  std::atomic<unsigned> timeout_seconds{0};

  // Gives the run `seconds` from its start, moving its deadline.
  void SetTimeout(unsigned seconds);

  // Claims the run's answer, whose exit code is `code`: false when the
  // deadline answered already, and then nothing more may be printed.
  bool Answer(int code);

  // Prints the error document of `status` and returns exit code 2.
  int Fail(const Status& status);

  // Writes `text` (console trace lines) at once.
  void Write(std::string_view text);

  // Loads the SAP library `choice` names, reporting its failures through
  // this run.
  Status LoadLibrary(RfcLibraryChoice choice, std::unique_ptr<SapLibrary>* library);

  // Prints the result buffer and empties it; `line_end` follows it.
  void Print(std::string_view line_end = "");

  // The local time of day, HH:MM:SS.
  std::string TimeOfDay() const;

  // The guard that remembers the logon `refusal` of `profile` from now on.
  LogonGuard GuardOf(const ConnectionProfile& profile, const Status& refusal) const;

  // The "now processed" line that ends a run with the console trace on.
  void PrintProcessedLine();

  // The RFC call log of profile `name`: "<name>.log" in the working
  // directory with ",SYSLOG", none without.
  CallLog CallLogOf(const std::string& name) const;
};

// The single-system document's summary: "(PRD) Logging: LogWrites=1.234,
// WaitBusy=0, ...", the growth of each figure.
std::string SingleSystemSummary(const std::string& destination, const Counters& growth);

// The single-system run on `profile`.
int RunSingleSystem(SensorRun& run, const ProfileFile& profile);

// "Error 1046: Item <item> is none of LogWrites, ...": a listing's item
// that names no figure.
Status UnknownItem(const std::string& item);

// The multi-system run over the item profile or global listing `listing`.
int RunMultiSystem(SensorRun& run, const ProfileFile& listing);

}  // namespace quillmeter

#endif  // QUILLMETER_DRIVER_SENSOR_RUN_H_
