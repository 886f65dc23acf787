#include "driver/worker.h"

#include <atomic>
#include <iterator>
#include <mutex>

#include "driver/sensor.h"

namespace quillmeter {
namespace {

// A library failure ends the worker; its report tells the run why.
class ReportingSink : public FailureSink {
 public:
  explicit ReportingSink(std::ostream& out) : out_(out) {}
  void Report(const LibraryFailure& failure) override {
    WorkerReport report;
    report.library_failed = true;
    report.failure = failure;
    out_ << EncodeReport(report);
    out_.flush();
  }
  void Aborted() override {}

 private:
  std::ostream& out_;
};

class ProcessWorker : public SystemWorker {
 public:
  explicit ProcessWorker(Platform& platform) : platform_(platform) {}

  WorkerOutcome Scan(const WorkerJob& job) override {
    WorkerOutcome outcome;
    std::unique_ptr<ChildProcess> child;
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (stopped_) return Stopped();
      if (!platform_.StartWorker({kWorkerEntry}, &child).ok()) return outcome;
      child_ = child.get();
    }
    (void)child->WriteInput(EncodeJob(job));
    std::string output = child->ReadOutput();
    child->Wait();
    {
      std::lock_guard<std::mutex> hold(lock_);
      child_ = nullptr;
      if (stopped_) return Stopped();
    }
    if (DecodeReport(output, &outcome.report)) outcome.end = WorkerOutcome::End::kReported;
    return outcome;
  }

  void Stop() override {
    std::lock_guard<std::mutex> hold(lock_);
    stopped_ = true;
    if (child_ != nullptr) child_->Kill();
  }

 private:
  static WorkerOutcome Stopped() {
    WorkerOutcome outcome;
    outcome.end = WorkerOutcome::End::kStopped;
    return outcome;
  }

  Platform& platform_;
  std::mutex lock_;
  bool stopped_ = false;
  ChildProcess* child_ = nullptr;
};

class InProcessWorker : public SystemWorker {
 public:
  explicit InProcessWorker(SensorContext& context) : context_(context) {}

  WorkerOutcome Scan(const WorkerJob& job) override {
    // The fakes of the tests take one system at a time.
    static std::mutex one_at_a_time;
    std::lock_guard<std::mutex> hold(one_at_a_time);
    WorkerOutcome outcome;
    if (stopped_) {
      outcome.end = WorkerOutcome::End::kStopped;
      return outcome;
    }
    ReportingSink sink(context_.out);
    outcome.report = ScanJob(context_, job, sink);
    outcome.end = WorkerOutcome::End::kReported;
    return outcome;
  }

  void Stop() override { stopped_ = true; }

 private:
  SensorContext& context_;
  std::atomic<bool> stopped_{false};
};

}  // namespace

std::unique_ptr<SystemWorker> MakeProcessWorker(Platform& platform) {
  return std::make_unique<ProcessWorker>(platform);
}

std::unique_ptr<SystemWorker> MakeInProcessWorker(SensorContext& context) {
  return std::make_unique<InProcessWorker>(context);
}

WorkerReport ScanJob(SensorContext& context, const WorkerJob& job, FailureSink& sink) {
  WorkerReport report;
  std::unique_ptr<SapLibrary> library;
  // Each system's own profile chose its library.
  const RfcLibraryChoice choice = job.request.open.profile.library;
  if (Status loaded = context.load_library(choice, sink, &library); !loaded.ok()) {
    report.scan.step = ScanStep::kOpen;
    report.scan.status = loaded;
    return report;
  }
  CallLog log = job.call_log.empty() ? CallLog() : CallLog(context.platform, job.call_log);
  std::unique_ptr<SapSystem> system = library->NewSystem(log);
  report.scan = ScanSystem(*system, job.request);
  return report;
}

int RunWorker(SensorContext& context, std::istream& in) {
  std::string input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  WorkerJob job;
  if (!DecodeJob(input, &job)) return 2;
  ReportingSink sink(context.out);
  context.out << EncodeReport(ScanJob(context, job, sink));
  context.out.flush();
  return 0;
}

}  // namespace quillmeter
