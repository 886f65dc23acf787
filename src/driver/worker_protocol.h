// What passes between a multi-system run and a worker process that scans
// its systems one after another: the jobs on the worker's standard input,
// one report for each on its standard output, in the same order. Each is
// one frame of "key=value" lines between markers, so that anything else a
// library prints there is passed over.
#ifndef QUILLMETER_DRIVER_WORKER_PROTOCOL_H_
#define QUILLMETER_DRIVER_WORKER_PROTOCOL_H_

#include <string>
#include <string_view>

#include "rfc/failure.h"
#include "scan/scan.h"

namespace quillmeter {

// The first argument that makes the sensor a worker. Its escape character is
// nothing an administrator types into PRTG's parameters.
inline constexpr const char kWorkerEntry[] = "\x1bquillmeter-worker";

struct WorkerJob {
  ScanRequest request;
  std::string call_log;  // the call log's path, "" for none
};

// The library that scans a job's system, as its profile chose it. A worker
// process keeps the one it loaded: systems of different libraries never
// share a process.
inline RfcLibraryChoice LibraryOf(const WorkerJob& job) { return job.request.open.profile.library; }

struct WorkerReport {
  bool library_failed = false;  // the library's failure handler ended the scan
  ScanResult scan;              // otherwise
  LibraryFailure failure;       // when it failed
};

std::string EncodeJob(const WorkerJob& job);
std::string EncodeReport(const WorkerReport& report);

// A line that tells the step the worker's scan begins (a step's name or
// what the open waits on), written before the report.
std::string EncodeStep(std::string_view step);

// The last step `text` (a worker's output) tells, or "" for none.
std::string LastStep(std::string_view text);

// The job or report in `text`, from the last whole frame in it; false when
// there is none, or it is damaged. Any input is safe.
bool DecodeJob(std::string_view text, WorkerJob* job);
bool DecodeReport(std::string_view text, WorkerReport* report);

// Cuts a stream into its frames as it arrives; the text around them is
// passed over, and so is a frame that another begins inside, or that grows
// beyond `max_frame` bytes. Taking every whole frame after each Add keeps
// what it holds within that bound, whatever the stream carries.
class FrameReader {
 public:
  explicit FrameReader(size_t max_frame) : max_frame_(max_frame) {}
  // Takes what arrived next.
  void Add(std::string_view data);
  // The next whole frame, for DecodeJob or DecodeReport; false while none
  // is complete.
  bool Next(std::string* frame);

 private:
  size_t max_frame_;
  std::string pending_;
};

// Far more than any report: a worker whose library floods its output with
// an unended frame costs the run no memory.
inline constexpr size_t kMaxReportFrame = 1u << 20;

}  // namespace quillmeter

#endif  // QUILLMETER_DRIVER_WORKER_PROTOCOL_H_
