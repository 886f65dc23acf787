#include "driver/sensor.h"

#include <cstdio>

#include "base/product.h"
#include "base/text.h"
#include "driver/command_line.h"
#include "driver/profile_naming.h"
#include "driver/sensor_run.h"
#include "driver/worker.h"
#include "rfc/load_sap_library.h"

namespace quillmeter {

SensorContext::SensorContext(Platform& platform, std::ostream& out)
    : platform(platform), out(out), roots{platform.PrtgPathFile(), ""} {
  load_library = [&platform](RfcLibraryChoice choice, FailureSink& sink,
                             std::unique_ptr<SapLibrary>* library) {
    return LoadSapLibrary(choice, platform, sink, library);
  };
  new_worker = [&platform] { return MakeProcessWorker(platform); };
}

std::string Rendered(const Status& status) {
  if (status.cause().empty()) return status.message();
  return status.message() + " - " + OneLine(status.cause());
}

std::string NoAnswerMessage(const std::string& what, unsigned seconds, const std::string& step) {
  return "Error 1044: No answer from " + what + " within " + std::to_string(seconds) + " s (" +
         step + ") !";
}

bool SensorRun::Answer(int code) { return deadline == nullptr || deadline->Claim(code); }

void SensorRun::SetTimeout(unsigned seconds) {
  timeout_seconds = seconds;
  if (deadline != nullptr) deadline->MoveTo(start + std::chrono::seconds(seconds));
}

int SensorRun::Fail(const Status& status) {
  if (!Answer(2)) return 2;
  writer->ErrorDocument(Rendered(status));
  Print();
  return 2;
}

void SensorRun::Write(std::string_view text) {
  std::unique_lock<std::mutex> hold;
  if (deadline != nullptr) hold = deadline->HoldOutput();
  context.out << text;
  context.out.flush();
}

Status SensorRun::LoadLibrary(RfcLibraryChoice choice, std::unique_ptr<SapLibrary>* library) {
  return context.load_library(choice, failure_printer, library);
}

void SensorRun::Print(std::string_view line_end) {
  Write(writer->result().str() + std::string(line_end));
  writer->result().Clear();
}

std::string SensorRun::TimeOfDay() const {
  ClockTime now = context.platform.Now();
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", now.hour % 100, now.minute % 100,
                now.second % 100);
  return text;
}

LogonGuard SensorRun::GuardOf(const ConnectionProfile& profile, const Status& refusal) const {
  return NewLogonGuard(context.platform, profile, refusal);
}

void SensorRun::PrintProcessedLine() {
  if (options.console_trace)
    Write("\n* " + TimeOfDay() + " SAP " + kProductName + " now processed...\n");
}

CallLog SensorRun::CallLogOf(const std::string& name) const {
  if (!options.call_log) return CallLog();
  return CallLog(context.platform, name + ".log");
}

int RunSensor(const std::vector<std::string>& arguments, SensorContext& context) {
  SensorRun run(context);
  run.banner = "* " + run.TimeOfDay() + " SAP " + kProductName + " " + kVersionText;
  // Until the output mode is known, errors are PRTG documents.
  run.writer = MakeResultWriter(OutputMode::kExeXml, std::nullopt);

  CommandLine command_line;
  if (Status read = ReadCommandLine(arguments, &command_line); !read.ok()) return run.Fail(read);
  run.options = command_line.options;
  run.second_argument = command_line.second_argument;

  // From here on the run answers within its time, whatever happens.
  run.timeout_seconds = run.options.timeout_seconds;
  const std::optional<unsigned> channel = run.options.channel;
  Deadline deadline(
      run.start + std::chrono::seconds(run.timeout_seconds),
      [&run, channel](const std::string& what, const std::string& step) {
        // The run's own writer may be in use on the stuck thread.
        std::unique_ptr<ResultWriter> writer = MakeResultWriter(run.mode, channel);
        std::string message = NoAnswerMessage(what, run.timeout_seconds, step);
        if (run.document_open)
          writer->FailDocument(message);
        else
          writer->ErrorDocument(message);
        run.context.out << writer->result().str();
        run.context.out.flush();
      },
      [&context](int code) { context.platform.EndNow(code); });
  run.deadline = &deadline;
  deadline.Track(command_line.profile, "RfcOpen");
  ProfileName naming;
  if (Status named = NameProfile(context.platform, command_line.profile, run.options, &naming);
      !named.ok())
    return run.Fail(named);

  run.mode = SelectedOutputMode(context.platform);
  run.writer = MakeResultWriter(run.mode, run.options.channel);
  ProfileFile profile;
  if (Status opened =
          OpenProfile(context.platform, context.roots, naming, run.mode, run.options, &profile);
      !opened.ok())
    return run.Fail(opened);
  return naming.item_mode ? RunMultiSystem(run, profile) : RunSingleSystem(run, profile);
}

}  // namespace quillmeter
