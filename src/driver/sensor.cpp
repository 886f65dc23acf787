#include "driver/sensor.h"

#include <cstdio>

#include "base/product.h"
#include "base/text.h"
#include "driver/command_line.h"
#include "driver/profile_naming.h"
#include "driver/sensor_run.h"
#include "rfc/classic_sap_system.h"

namespace quillmeter {

SensorContext::SensorContext(Platform& platform, std::ostream& out)
    : platform(platform), out(out), roots{platform.PrtgPathFile(), ""} {
  load_library = [&platform](FailureSink& sink, std::unique_ptr<SapLibrary>* library) {
    return LoadClassicLibrary(platform, sink, library);
  };
}

std::string Rendered(const Status& status) {
  if (status.cause().empty()) return status.message();
  return status.message() + " - " + OneLine(status.cause(), kMaxCause);
}

int SensorRun::Fail(const Status& status) {
  writer->ErrorDocument(Rendered(status));
  Print();
  return 2;
}

Status SensorRun::LoadLibrary(std::unique_ptr<SapLibrary>* library) {
  return context.load_library(failure_printer, library);
}

void SensorRun::Print(std::string_view line_end) {
  context.out << writer->result().str() << line_end;
  context.out.flush();
  writer->result().Clear();
}

std::string SensorRun::TimeOfDay() const {
  ClockTime now = context.platform.Now();
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", now.hour % 100, now.minute % 100,
                now.second % 100);
  return text;
}

void SensorRun::PrintProcessedLine() {
  if (options.console_trace)
    context.out << "\n* " << TimeOfDay() << " SAP " << kProductName << " now processed...\n";
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
