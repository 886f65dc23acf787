// What a worker hands its run: reports on the worker's standard output, one
// after another, with the steps it told and whatever else the RFC library
// may have printed there, and the jobs on its standard input. Any bytes,
// however a pipe cuts them, decode safely, and what decodes comes through an
// encoding unchanged.
#include <string>

#include "driver/worker_protocol.h"
#include "fuzz_support.h"

namespace {

using namespace quillmeter;

void CheckFrame(const std::string& input) {
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
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  CheckFrame(input);

  // The same bytes as a stream, cut where the first byte says: every frame
  // taken out of it is one whole frame, within the reader's bound, and
  // decodes as the frame alone does.
  constexpr size_t kBound = 4096;
  FrameReader frames(kBound);
  const size_t piece = size == 0 ? 1 : data[0] % 16 + 1;
  std::string frame;
  for (size_t at = 0; at < size; at += piece) {
    frames.Add(std::string_view(input).substr(at, piece));
    while (frames.Next(&frame)) {
      if (frame.size() > kBound + piece) Require("a frame beyond the bound", input);
      FrameReader alone(kBound);
      std::string again;
      alone.Add(frame);
      if (!alone.Next(&again) || again != frame || alone.Next(&again))
        Require("a frame is not one whole frame", input);
      CheckFrame(frame);
    }
  }
  return 0;
}
