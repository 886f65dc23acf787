// What a worker hands its run: the report on the worker's standard output,
// with the steps it told and whatever else the RFC library may have printed
// there, and the job on its standard input. Any bytes decode safely, and what decodes comes
// through an encoding unchanged.
#include <string>

#include "driver/worker_protocol.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillmeter;
  const std::string input(reinterpret_cast<const char*>(data), size);

  WorkerReport report;
  if (DecodeReport(input, &report)) {
    WorkerReport again;
    if (!DecodeReport(EncodeReport(report), &again)) Require("a report does not come back", input);
    if (EncodeReport(again) != EncodeReport(report)) Require("a report changed", input);
    if (!report.library_failed && report.scan.status.ok() != (report.scan.step == ScanStep::kDone))
      Require("a report's step and status disagree", input);
  }
  // The step a stopped worker last told comes through its line unchanged.
  const std::string step = LastStep(input);
  if (LastStep(input + EncodeStep(step)) != step) Require("a step changed", input);
  WorkerJob job;
  if (DecodeJob(input, &job)) {
    WorkerJob again;
    if (!DecodeJob(EncodeJob(job), &again) || EncodeJob(again) != EncodeJob(job))
      Require("a job changed", input);
  }
  return 0;
}
