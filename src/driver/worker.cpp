#include "driver/worker.h"

#include <atomic>
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

// A stopped worker is named by its last step line; a library that floods
// the output must not make the run keep all of it.
constexpr size_t kMaxToldSteps = 64 * 1024;

class ProcessWorker : public SystemWorker {
 public:
  explicit ProcessWorker(Platform& platform) : platform_(platform) {}

  WorkerOutcome Scan(const WorkerJob& job) override {
    WorkerOutcome outcome;
    ChildProcess* child = nullptr;
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (stopped_) return Stopped();
      // A process keeps the library it loaded: a system of another library
      // is not scanned there.
      if (child_ != nullptr && library_ != LibraryOf(job)) child_.reset();
      if (child_ == nullptr) {
        if (!platform_.StartWorker({kWorkerEntry}, &child_).ok()) return outcome;
        library_ = LibraryOf(job);
        frames_ = FrameReader(kMaxReportFrame);
      }
      child = child_.get();
    }
    told_.clear();
    const bool reported = child->Send(EncodeJob(job)).ok() && ReadReport(*child, &outcome.report);
    if (reported && outcome.report.library_failed) {
      // Its library closes the system's connection and ends it: let it.
      std::string rest;
      while (child->Receive(&rest)) rest.clear();
      child->Wait();
    }
    std::lock_guard<std::mutex> hold(lock_);
    if (stopped_) return Stopped(LastStep(told_));
    if (reported) outcome.end = WorkerOutcome::End::kReported;
    // Its library ends the process after such a report; without a report,
    // what the process does is unknown. Either way it takes no more systems.
    if (!reported || outcome.report.library_failed) child_.reset();
    return outcome;
  }

  void Stop() override {
    std::lock_guard<std::mutex> hold(lock_);
    stopped_ = true;
    if (child_ != nullptr) child_->Kill();
  }

 private:
  static WorkerOutcome Stopped(std::string step = std::string()) {
    WorkerOutcome outcome;
    outcome.end = WorkerOutcome::End::kStopped;
    outcome.step = std::move(step);
    return outcome;
  }

  // The report of the job just sent: the next frame the process writes.
  bool ReadReport(ChildProcess& child, WorkerReport* report) {
    std::string frame, arrived;
    while (!frames_.Next(&frame)) {
      arrived.clear();
      if (!child.Receive(&arrived)) return false;
      frames_.Add(arrived);
      // The steps it told of this job, for a stop; the latest are enough.
      told_.append(arrived);
      if (told_.size() > kMaxToldSteps) told_.erase(0, told_.size() - kMaxToldSteps);
    }
    return DecodeReport(frame, report);
  }

  Platform& platform_;
  std::mutex lock_;
  bool stopped_ = false;
  std::unique_ptr<ChildProcess> child_;  // replaced only by Scan's thread
  RfcLibraryChoice library_{};           // the one child_ loads
  FrameReader frames_{kMaxReportFrame};  // child_'s output
  std::string told_;                     // child_'s output since the job was sent
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
    std::unique_ptr<SapLibrary> library;
    outcome.report = ScanJob(context_, job, sink, &library);
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

WorkerReport ScanJob(SensorContext& context, const WorkerJob& job, FailureSink& sink,
                     std::unique_ptr<SapLibrary>* library) {
  WorkerReport report;
  if (*library == nullptr) {
    // The library the system's profile chose; a process's jobs share one.
    if (Status loaded = context.load_library(LibraryOf(job), sink, library); !loaded.ok()) {
      report.scan.step = ScanStep::kOpen;
      report.scan.status = loaded;
      return report;
    }
  }
  CallLog log = job.call_log.empty() ? CallLog() : CallLog(context.platform, job.call_log);
  // Each system has a connection of its own, closed when its session ends.
  std::unique_ptr<SapSystem> system = (*library)->NewSystem(log);
  report.scan = ScanSystem(*system, job.request);
  return report;
}

int RunWorker(SensorContext& context, std::istream& in) {
  ReportingSink sink(context.out);
  // Loaded for the first job and kept: its structure types are installed
  // once in a process, as the library expects.
  std::unique_ptr<SapLibrary> library;
  RfcLibraryChoice library_choice{};
  bool any = false;
  // The run's own jobs: as large as the profiles they carry.
  FrameReader frames(std::string().max_size());
  std::string line, frame;
  while (std::getline(in, line)) {
    line += '\n';
    frames.Add(line);
    while (frames.Next(&frame)) {
      WorkerJob job;
      if (!DecodeJob(frame, &job)) return 2;
      // Each step as it begins, so that a run that stops this worker can say
      // what it waited on.
      job.request.progress = [&context](std::string_view step) {
        context.out << EncodeStep(step);
        context.out.flush();
      };
      // The run sends a process jobs of one library only.
      if (any && LibraryOf(job) != library_choice) return 2;
      any = true;
      library_choice = LibraryOf(job);
      context.out << EncodeReport(ScanJob(context, job, sink, &library));
      context.out.flush();
    }
  }
  return any ? 0 : 2;
}

}  // namespace quillmeter
