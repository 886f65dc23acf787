// What passes between a multi-system run and the worker process that scans
// one of its systems: the job on the worker's standard input, the report on
// its standard output. Each is one frame of "key=value" lines between
// markers, so that anything else a library prints there is passed over.
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

}  // namespace quillmeter

#endif  // QUILLMETER_DRIVER_WORKER_PROTOCOL_H_
