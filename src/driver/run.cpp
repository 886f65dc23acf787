#include "driver/run.h"

#include "driver/command_line.h"
#include "driver/profile_naming.h"
#include "output/document.h"
#include "profiles/multi_system_run.h"

namespace quillmeter {

int PrintErrorResult(RunState& run) {
  run.out << run.result.str();
  run.out.flush();
  return 2;
}

void PrintProcessedLine(RunState& run) {
  if (run.options.console_trace)
    run.out << "\n* " << TimeOfDay(run.platform) << " SAP " << kProductName
            << " now processed...\n";
}

int RunSensor(RunState& run) {
  run.line_text = "* " + TimeOfDay(run.platform) + " SAP " + kProductName + " " + kVersionText;
  run.channel_counter = 0;
  if (!ReadCommandLine(run) || !NameProfile(run) || !OpenProfile(run)) return PrintErrorResult(run);
  if (run.item_mode) return RunMultiSystem(run);
  return RunSingleSystem(run);
}

}  // namespace quillmeter
