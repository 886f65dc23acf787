// The multi-system run: one figure per system of a list.
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "base/text.h"
#include "driver/command_line.h"
#include "driver/sensor_run.h"
#include "driver/worker.h"
#include "output/xml_text.h"
#include "profiles/global_listing.h"
#include "profiles/logon_guard.h"
#include "profiles/profile_update.h"
#include "profiles/system_profile.h"
#include "scan/scan.h"

namespace quillmeter {
namespace {

// One system of the list, as the run reads its profile.
struct System {
  std::string name;  // as the list writes it
  std::string path;
  bool missing = false;
  bool valid = false;
  // Its logon data were refused before: it is not logged on again.
  bool guarded = false;
  bool has_guard_line = false;
  std::string not_sent;  // why it is not scanned: its profile's fault, SAP's refusal
  ConnectionProfile profile;
};

// The workers of a run: `jobs` threads take the systems in list order, each
// through a worker of its own that scans one system after another. A thread
// takes the earliest system of the library its worker has loaded, so that a
// worker is started again only when it died, or when only systems of
// another library remain.
class WorkerPool {
 public:
  WorkerPool(SensorContext& context, unsigned jobs)
      : context_(context), jobs_(jobs), workers_(jobs) {}
  ~WorkerPool() { StopAll(); }

  // Queues the job of system `index`.
  void Add(size_t index, WorkerJob job) {
    std::lock_guard<std::mutex> hold(lock_);
    tasks_[index].job = std::move(job);
    queue_.push_back(index);
    if (threads_.size() < jobs_)
      threads_.emplace_back([this, slot = threads_.size()] { Work(slot); });
    work_.notify_one();
  }

  // No job is added after this; a thread without one ends.
  void Close() {
    std::lock_guard<std::mutex> hold(lock_);
    closed_ = true;
    work_.notify_all();
  }

  // Waits until system `index` is scanned or `until` passes; true when done.
  bool WaitFor(size_t index, Deadline::Clock::time_point until) {
    std::unique_lock<std::mutex> hold(lock_);
    return done_.wait_until(hold, until, [&] { return tasks_[index].done; });
  }

  // The outcome of system `index`, once done or stopped.
  WorkerOutcome Take(size_t index) {
    std::lock_guard<std::mutex> hold(lock_);
    return tasks_[index].outcome;
  }

  // Stops every worker, running or queued, and waits for the threads to end.
  void StopAll() {
    std::vector<std::thread> threads;
    {
      std::lock_guard<std::mutex> hold(lock_);
      stopping_ = true;
      for (auto& worker : workers_)
        if (worker) worker->Stop();
      for (auto& [index, task] : tasks_) {
        if (!task.started) {
          task.done = true;
          task.outcome.end = WorkerOutcome::End::kStopped;
        }
      }
      queue_.clear();
      threads.swap(threads_);
      work_.notify_all();
    }
    for (std::thread& thread : threads) thread.join();
  }

 private:
  struct Task {
    WorkerJob job;
    bool started = false;
    bool done = false;
    WorkerOutcome outcome;
  };

  void Work(size_t slot) {
    std::unique_lock<std::mutex> hold(lock_);
    std::optional<RfcLibraryChoice> library;  // the one this thread's worker has loaded
    for (;;) {
      work_.wait(hold, [&] { return stopping_ || closed_ || !queue_.empty(); });
      if (stopping_ || queue_.empty()) return;
      auto next = std::find_if(queue_.begin(), queue_.end(), [&](size_t index) {
        return LibraryOf(tasks_[index].job) == library;
      });
      if (next == queue_.end()) next = queue_.begin();
      Task& task = tasks_[*next];
      queue_.erase(next);
      task.started = true;
      library = LibraryOf(task.job);
      if (!workers_[slot]) workers_[slot] = context_.new_worker();
      SystemWorker& worker = *workers_[slot];
      hold.unlock();
      WorkerOutcome outcome = worker.Scan(task.job);
      hold.lock();
      task.outcome = std::move(outcome);
      task.done = true;
      done_.notify_all();
    }
  }

  SensorContext& context_;
  const unsigned jobs_;
  std::mutex lock_;
  std::condition_variable work_;
  std::condition_variable done_;
  std::map<size_t, Task> tasks_;  // a map: its elements stay where they are
  std::deque<size_t> queue_;
  std::vector<std::unique_ptr<SystemWorker>> workers_;  // one for each thread
  std::vector<std::thread> threads_;
  bool closed_ = false;
  bool stopping_ = false;
};

struct Tally {
  unsigned systems = 0;
  unsigned processed = 0;
  unsigned failed = 0;
};

std::string ChannelName(char label_kind, const std::string& name, const ConnectionProfile& p) {
  switch (label_kind) {
    case '2': return name.substr(0, name.size() < 4 ? 0 : name.size() - 4);
    case '3': return p.host_name;
    case '4': return p.destination;
    default: return name;
  }
}

// Ends the run on a fault of system `name` that stops every system.
// Standard output already holds the opened document and earlier systems'
// channels, so that document is finished as an error instead of a second
// one being started.
int EndRun(SensorRun& run, const ScanResult& scan, const std::string& name) {
  if (!run.Answer(2)) return 2;
  const Status& status = scan.status;
  std::string text = scan.step == ScanStep::kDatabaseCheck
                         ? status.message() + " - " + OneLine(name + ": " + status.cause())
                         : Rendered(status) + " - " + name;
  run.writer->FailDocument(text);
  run.Print();
  return 2;
}

// A profile's fault as the summary tells it: the number and the cause, or
// the message where it has no cause.
std::string ProfileFault(const Status& fault) {
  if (fault.cause().empty()) return fault.message();
  return fault.message().substr(0, fault.message().find(':')) + ": " + fault.cause();
}

// A failed scan as the summary tells it: the step, and the message with its
// cause.
std::string ScanFault(ScanStep step, const Status& status) {
  return std::string(ScanStepName(step)) + ": " + Rendered(status);
}

// The summary: the counts, then every system that was not processed with
// its state, cut after a whole entry so that PRTG's 2000 characters hold it.
std::string Summary(const std::string& item, const Tally& tally,
                    const std::vector<std::string>& unprocessed) {
  std::string summary = "(***) " + item + ": NoSystems=" + std::to_string(tally.systems) +
                        ", Processed=" + std::to_string(tally.processed) +
                        ", Failed=" + std::to_string(tally.failed);
  for (size_t i = 0; i < unprocessed.size(); ++i) {
    std::string longer = summary + (i == 0 ? " - " : ", ") + unprocessed[i];
    // Measured as PRTG reads the document, escaped.
    if (EscapeXml(longer).size() > kMaxPrtgText) break;
    summary = std::move(longer);
  }
  return summary;
}

}  // namespace

Status UnknownItem(const std::string& item) {
  std::string names;
  for (const Figure& known : kFigures)
    names += (names.empty() ? "" : ", ") + std::string(known.channel);
  return Status::Error("Error 1046: Item " + item + " is none of " + names + " !");
}

int RunMultiSystem(SensorRun& run, const ProfileFile& file) {
  Platform& platform = run.context.platform;
  ListingRequest request{file.path, file.name, run.options.first_word,
                         run.options.item.value_or(""), run.second_argument};
  SystemListing listing;
  if (Status read = ReadSystemListing(platform, request, &listing); !read.ok())
    return run.Fail(read);
  if (listing.parameters) {
    if (Status checked = CheckNumbers(*listing.parameters, file.name); !checked.ok())
      return run.Fail(checked);
    run.options = AllocationOptions(run.options, *listing.parameters);
    run.writer = MakeResultWriter(run.mode, run.options.channel);
    // The allocation's time is the run's, and with it the workers'.
    if (run.options.timeout_seconds != run.timeout_seconds)
      run.SetTimeout(run.options.timeout_seconds);
  }
  // A figure the sensor does not know would log on to every system for
  // nothing and answer a green sensor without data.
  const std::optional<size_t> figure = FigureOfItem(listing.item_id);
  if (!figure) return run.Fail(UnknownItem(listing.item_id));
  // Every profile is read here, in list order, before any library is
  // loaded. A logon known to be incomplete or wrong is never sent: SAP would
  // count it against the RFC user and may lock it.
  if (run.deadline != nullptr) run.deadline->Track(file.name, "multi-system run");
  const HistoryKey history{listing.history_sensor};
  const PrtgCredentials prtg = PrtgCredentials::Read(platform);
  std::vector<System> systems;
  std::vector<std::optional<WorkerJob>> jobs;
  for (const std::string& name : SystemNames(listing.system_list)) {
    System& system = systems.emplace_back();
    system.name = name;
    system.path = file.dir + system.name;
    WorkerJob job;
    job.request.history = history;
    job.request.open.profile_name = system.name;
    job.request.open.overrides = {run.options.host, run.options.system_number};
    jobs.emplace_back();
    system.not_sent = "the name cannot be a profile's";
    job.request.open.profile_folder = file.dir;
    if (IsUsableProfileName(system.name)) {
      Status fault;
      std::string missing_variable;
      SystemProfileRead read =
          ReadProfileForSystem(platform, system.path, &job.request.open.profile,
                               &job.request.profile_text, prtg, &fault, &missing_variable);
      // The sensor's setting is missing, for every system that needs it:
      // one clear answer rather than a list of failed systems.
      if (read == SystemProfileRead::kNoCredentials)
        return run.Fail(Status::Error(CredentialsMissingMessage(system.name, missing_variable)));
      system.missing = read == SystemProfileRead::kMissing;
      system.valid = read == SystemProfileRead::kValid;
      system.not_sent = ProfileFault(fault);
    }
    system.profile = job.request.open.profile;
    if (!system.valid) continue;
    std::optional<LogonGuard> guard = FindLogonGuard(job.request.profile_text);
    system.has_guard_line = guard.has_value();
    system.guarded = GuardHolds(guard, system.profile);
    if (system.guarded) {
      system.not_sent = guard->message;
      continue;
    }
    if (run.options.call_log) job.call_log = system.name + ".log";
    jobs.back() = std::move(job);
  }

  // The workers load the library; loading it here first answers a missing
  // one with one error document, before any system is counted.
  {
    std::unique_ptr<SapLibrary> library;
    if (Status loaded = run.LoadLibrary(RfcLibraryChoice::kAutomatic, &library); !loaded.ok())
      return run.Fail(loaded);
  }
  run.CallLogOf(file.name).Event(0, "program started", platform.ExecutablePath());
  WorkerPool pool(run.context, run.options.jobs);
  for (size_t i = 0; i < jobs.size(); ++i)
    if (jobs[i]) pool.Add(i, std::move(*jobs[i]));
  pool.Close();

  if (run.options.console_trace)
    run.Write(run.banner + "\n* " + run.TimeOfDay() + " " +
              ListingParameterDisplay(run.options.parameter_text) + " State=Executing\n");
  ResultWriter& writer = *run.writer;
  writer.OpenDocument();
  run.Print("\n");
  run.document_open = true;

  // Systems still running when the deadline comes near are stopped, so that
  // the run answers in time with everything else.
  Deadline::Clock::time_point stop_at = Deadline::Clock::time_point::max();
  if (run.deadline != nullptr) {
    auto whole = std::chrono::seconds(run.options.timeout_seconds);
    auto margin = std::clamp<Deadline::Clock::duration>(whole / 10, std::chrono::milliseconds(250),
                                                        std::chrono::seconds(2));
    stop_at = run.deadline->at() - margin;
  }

  Tally tally;
  std::vector<std::string> unprocessed;  // "<name>: <state>"
  for (size_t i = 0; i < systems.size(); ++i) {
    const System& system = systems[i];
    ++tally.systems;
    if (system.missing) {
      unprocessed.push_back(system.name + ": missing");
      continue;
    }
    const ConnectionProfile& profile = system.profile;
    const std::string channel = ChannelName(listing.label_kind, system.name, profile);
    std::string state_line;
    if (run.options.console_trace)
      state_line = "* " + run.TimeOfDay() + " " + system.name + ", " + profile.display_host + ", " +
                   profile.destination + ", " + profile.system_number + ", " + profile.client;

    const char* state = system.guarded ? "Logon Refused" : "Rfc Failure";
    std::string cause = system.not_sent;  // after the state, in the summary
    if (system.valid && !system.guarded) {
      if (!pool.WaitFor(i, stop_at)) pool.StopAll();
      WorkerOutcome outcome = pool.Take(i);
      cause = "the worker ended without a report";
      if (outcome.end == WorkerOutcome::End::kStopped) {
        state = "Timeout";
        cause = outcome.step.empty() ? "not started" : outcome.step;
      }
      if (outcome.end == WorkerOutcome::End::kReported && outcome.report.library_failed) {
        const LibraryFailure& f = outcome.report.failure;
        cause = "RFC error - operation/code: " + WithoutTrailingBlanks(f.operation) +
                " - key: " + WithoutTrailingBlanks(f.key) +
                " - message: " + WithoutTrailingBlanks(f.message);
      }
      if (outcome.end == WorkerOutcome::End::kReported && !outcome.report.library_failed) {
        ScanResult& scan = outcome.report.scan;
        if (run.options.console_trace && !scan.console_note.empty())
          run.Write(scan.console_note + "\n");
        switch (scan.step) {
          case ScanStep::kCollectionTime:
          case ScanStep::kSystemInfo:
          case ScanStep::kDatabaseCheck:
            // As when the systems are taken one after another: none after
            // this one is reported or written.
            pool.StopAll();
            return EndRun(run, scan, system.name);
          case ScanStep::kOpen:
            cause = ScanFault(scan.step, scan.status);
            if (scan.status.IsRefused()) {
              ProfileUpdate update;
              update.guard_change = ProfileUpdate::Guard::kSet;
              update.guard = run.GuardOf(profile, scan.status);
              (void)CommitProfileUpdate(platform, system.path, update);
              state = "Logon Refused";
              cause = update.guard.message;
            }
            break;
          case ScanStep::kMonitor: cause = ScanFault(scan.step, scan.status); break;
          case ScanStep::kDone: {
            // Workers measure; the profiles are written here, in list order.
            ProfileUpdate update;
            update.history = scan.history;
            if (update.history) update.history->key = history;
            if (system.has_guard_line) update.guard_change = ProfileUpdate::Guard::kLift;
            if (update.history || system.has_guard_line) {
              if (Status saved = CommitProfileUpdate(platform, system.path, update); !saved.ok()) {
                cause = "history not written: " + saved.cause();
                break;
              }
            }
            writer.Channel(channel, std::to_string(scan.growth[*figure]), "");
            run.Print();
            state = "Processed";
            break;
          }
        }
      }
    }
    if (std::string_view(state) == "Processed") {
      ++tally.processed;
    } else {
      ++tally.failed;
      // The state as PRTG users may filter on it, then why.
      const std::string why = OneLine(cause);
      unprocessed.push_back(system.name + ": " + state + (why.empty() ? "" : " (" + why + ")"));
    }
    if (run.options.console_trace) run.Write("\n" + state_line + " State=" + state + "\n");
  }

  writer.Summary(Summary(listing.item_id, tally, unprocessed));
  writer.CloseDocument();
  if (!run.Answer(0)) return 2;
  run.Print("\n");
  run.PrintProcessedLine();
  return 0;
}

}  // namespace quillmeter
