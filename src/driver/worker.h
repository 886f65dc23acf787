// The systems of a multi-system run are scanned in workers: each in a
// process of its own, so that a system that hangs or whose library ends the
// process stops only itself, and several at once.
#ifndef QUILLMETER_DRIVER_WORKER_H_
#define QUILLMETER_DRIVER_WORKER_H_

#include <istream>
#include <memory>

#include "driver/worker_protocol.h"
#include "platform/platform.h"

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

// Scans one system in isolation. Stop may be called from another thread.
class SystemWorker {
 public:
  virtual ~SystemWorker() = default;
  // Scans the system of `job`; blocks until that ends or Stop is called.
  virtual WorkerOutcome Scan(const WorkerJob& job) = 0;
  // Ends a scan at once; a later Scan ends at once, kStopped.
  virtual void Stop() = 0;
};

// Workers in processes of this executable, started through kWorkerEntry.
std::unique_ptr<SystemWorker> MakeProcessWorker(Platform& platform);

// A worker in this process, through `context`'s library: for tests, where
// one system is scanned at a time and Stop only marks the outcome.
std::unique_ptr<SystemWorker> MakeInProcessWorker(SensorContext& context);

// Scans the system of `job` through the library `context` loads; its
// failures go to `sink`. A library that cannot be loaded fails the open.
WorkerReport ScanJob(SensorContext& context, const WorkerJob& job, FailureSink& sink);

// The worker process: its job from `in`, its report on context.out. Returns
// 0, or 2 without a job; a library failure ends it with 1 after its report.
int RunWorker(SensorContext& context, std::istream& in);

}  // namespace quillmeter

#endif  // QUILLMETER_DRIVER_WORKER_H_
