// The systems of a multi-system run are scanned in workers: processes of
// their own, each taking system after system, so that a system that hangs
// or whose library ends the process stops only itself, several are scanned
// at once, and a process and its library are started once for many systems.
#ifndef QUILLMETER_DRIVER_WORKER_H_
#define QUILLMETER_DRIVER_WORKER_H_

#include <istream>
#include <memory>
#include <string>

#include "driver/worker_protocol.h"
#include "platform/platform.h"
#include "rfc/connection_profile.h"

namespace quillmeter {

struct SensorContext;

// How a worker's scan ended.
struct WorkerOutcome {
  enum class End {
    kReported,  // the report says how the scan went
    kLost,      // the worker ended without a report
    kStopped,   // Stop ended it
  };
  End end = End::kLost;
  WorkerReport report;
  // For kStopped: what the scan waited on (ScanRequest::progress), "" when
  // it had not begun.
  std::string step;
};

// Scans systems in isolation, one at a time, keeping its library loaded
// between them. Stop may be called from another thread.
class SystemWorker {
 public:
  virtual ~SystemWorker() = default;
  // Scans the system of `job`; blocks until that ends or Stop is called.
  // After a scan that ended without a report, or in a library failure, the
  // next starts afresh.
  virtual WorkerOutcome Scan(const WorkerJob& job) = 0;
  // Ends a scan at once; a later Scan ends at once, kStopped.
  virtual void Stop() = 0;
};

// Workers in processes of this executable, started through kWorkerEntry:
// one process for system after system, a new one after a process ended
// without its report or in a library failure, or for a system of another
// library.
std::unique_ptr<SystemWorker> MakeProcessWorker(Platform& platform);

// A worker in this process, through `context`'s library: for tests, where
// one system is scanned at a time and Stop only marks the outcome.
std::unique_ptr<SystemWorker> MakeInProcessWorker(SensorContext& context);

// Scans the system of `job` through *library, loaded through `context`
// first when there is none yet; its failures go to `sink`, which must
// outlive it. A library that cannot be loaded fails the open.
WorkerReport ScanJob(SensorContext& context, const WorkerJob& job, FailureSink& sink,
                     std::unique_ptr<SapLibrary>* library);

// The worker process: its jobs from `in`, one after another until `in`
// ends, a report for each on context.out. Returns 0, or 2 without a job or
// with a damaged one; a library failure ends it with 1 after its report.
int RunWorker(SensorContext& context, std::istream& in);

}  // namespace quillmeter

#endif  // QUILLMETER_DRIVER_WORKER_H_
