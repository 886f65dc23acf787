#include "check/listing_check.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <thread>
#include <vector>

#include "base/text.h"
#include "check/check_run.h"
#include "driver/command_line.h"
#include "driver/sensor_run.h"
#include "profiles/figures.h"
#include "profiles/global_listing.h"

namespace quillmeter {
namespace {

constexpr char kListingStep[] = "listing";
constexpr char kAnswerLine[] = "The sensor would answer: ";
constexpr char kResultLine[] = "Result: ";
// What the run answers of a system whose profile is missing.
constexpr char kMissing[] = "missing";

// A system's job, as RunSystemCheckJob reads it: its profile's path, the
// listing's history sensor and the options it runs with, a line each; the
// milliseconds it may take follow when it starts.
std::string JobText(const std::string& path, const std::string& history_sensor,
                    const SensorOptions& options) {
  std::string words = "TIMEOUT=" + std::to_string(options.timeout_seconds);
  if (options.host) words += ",HOST=" + *options.host;
  if (options.system_number) words += ",NO=" + *options.system_number;
  if (options.call_log) words += ",SYSLOG";
  return path + "\n" + history_sensor + "\n" + words + "\n";
}

// What one system's check printed, or why it printed nothing.
struct SystemOutput {
  bool done = false;
  std::string text;
};

// Checks system after system in processes of their own, `jobs` at once.
class SystemChecks {
 public:
  SystemChecks(Platform& platform, std::vector<std::string> jobs, unsigned at_once,
               Deadline::Clock::time_point start, Deadline::Clock::time_point until)
      : platform_(platform),
        jobs_(std::move(jobs)),
        outputs_(jobs_.size()),
        start_(start),
        until_(until) {
    const size_t threads = std::min<size_t>(std::max(at_once, 1u), jobs_.size());
    for (size_t t = 0; t < threads; ++t) threads_.emplace_back([this] { Work(); });
  }
  ~SystemChecks() {
    for (std::thread& thread : threads_) thread.join();
  }

  // Waits for the check of system `index` and returns its output.
  std::string Take(size_t index) {
    std::unique_lock<std::mutex> hold(lock_);
    done_.wait(hold, [&] { return outputs_[index].done; });
    return outputs_[index].text;
  }

 private:
  void Work() {
    for (;;) {
      size_t index;
      {
        std::lock_guard<std::mutex> hold(lock_);
        if (next_ == jobs_.size()) return;
        index = next_++;
      }
      std::string text = Check(jobs_[index]);
      std::lock_guard<std::mutex> hold(lock_);
      outputs_[index] = {true, std::move(text)};
      done_.notify_all();
    }
  }

  std::string Check(const std::string& job) {
    // Time for this process to print what the system's check told.
    using std::chrono::milliseconds;
    const auto whole = until_ - start_;
    const auto margin = std::clamp<Deadline::Clock::duration>(whole / 10, milliseconds(250),
                                                              std::chrono::seconds(1));
    const auto left =
        std::chrono::duration_cast<milliseconds>(until_ - margin - Deadline::Clock::now());
    if (left < milliseconds(100))
      return "[FAIL] check: not started, as the time is up - to fix: give the check more time "
             "with TIMEOUT=, or fewer systems\n";
    std::unique_ptr<ChildProcess> child;
    std::string text;
    Status started = platform_.StartWorker({kSystemCheckEntry}, &child);
    if (started.ok()) started = child->Send(job + std::to_string(left.count()) + "\n");
    if (!started.ok())
      return "[FAIL] check: cannot start this system's check: " + Rendered(started) +
             " - to fix: free memory or processes on this machine\n";
    child->CloseInput();
    while (child->Receive(&text)) {
    }
    const int code = child->Wait();
    if (text.find(std::string("\n") + kResultLine) == std::string::npos &&
        !StartsWith(text, kResultLine))
      text += "[FAIL] check: this system's check ended without its result (exit code " +
              std::to_string(code) +
              ") - to fix: run it alone, quillmeter-check with its "
              "profile and \"@\", to see where\n";
    return text;
  }

  Platform& platform_;
  const std::vector<std::string> jobs_;
  std::mutex lock_;
  std::condition_variable done_;
  std::vector<SystemOutput> outputs_;
  size_t next_ = 0;
  const Deadline::Clock::time_point start_;
  const Deadline::Clock::time_point until_;
  std::vector<std::thread> threads_;
};

}  // namespace

void CheckListing(SensorContext& context, const ListingCheck& check, CheckReport& report,
                  CheckProgress& progress) {
  Platform& platform = context.platform;
  const ProfileFile& file = check.file;
  const Deadline::Clock::time_point start = Deadline::Clock::now();
  ListingRequest request{file.path, file.name, check.options.first_word,
                         check.options.item.value_or(""), check.second_argument};
  SystemListing listing;
  Status read = ReadSystemListing(platform, request, &listing);
  SensorOptions options = check.options;
  if (read.ok() && listing.parameters) {
    read = CheckNumbers(*listing.parameters, file.name);
    options = AllocationOptions(check.options, *listing.parameters);
  }
  if (read.ok() && !FigureOfItem(listing.item_id)) read = UnknownItem(listing.item_id);
  if (!read.ok()) {
    report.Fail(kListingStep, Rendered(read),
                "correct the listing " + platform.FullPath(file.path) + " as the cause says");
    report.Answer(read);
    return;
  }
  if (options.timeout_seconds != check.options.timeout_seconds)
    check.set_timeout(options.timeout_seconds);
  const std::vector<std::string> names = SystemNames(listing.system_list);
  report.Ok(kListingStep, platform.FullPath(file.path) + ": item " + listing.item_id + ", " +
                              std::to_string(names.size()) + " systems (" + Joined(names, ", ") +
                              "), JOBS=" + std::to_string(options.jobs) +
                              ", TIMEOUT=" + std::to_string(options.timeout_seconds));

  std::vector<std::string> jobs;
  for (const std::string& name : names)
    jobs.push_back(JobText(file.dir + name, listing.history_sensor, options));
  progress.Track(file.name, "multi-system run");
  SystemChecks checks(platform, jobs, options.jobs, start,
                      start + std::chrono::seconds(options.timeout_seconds));
  unsigned processed = 0, failed = 0;
  std::vector<std::string> summary, entries;
  for (size_t i = 0; i < names.size(); ++i) {
    std::string answer, first_failure;
    for (const std::string& line : SplitLines(checks.Take(i))) {
      if (StartsWith(line, kAnswerLine)) {
        answer = line.substr(std::string_view(kAnswerLine).size());
      } else if (!StartsWith(line, kResultLine)) {
        report.Relay(names[i] + ": ", line);
        if (first_failure.empty() && StartsWith(line, "[FAIL] "))
          first_failure = line.substr(7, line.find(kFixMark) - 7);
      }
    }
    summary.push_back(names[i] + ": " + (first_failure.empty() ? "ok" : first_failure));
    // As the run counts them: a missing profile is no failed system.
    if (first_failure.empty())
      ++processed;
    else if (answer == kMissing)
      entries.push_back(names[i] + ": " + kMissing);
    else
      entries.push_back(names[i] + ": " + answer);
    if (!first_failure.empty() && answer != kMissing) ++failed;
  }
  for (const std::string& line : summary) report.Plain(line);
  report.Answer("(***) " + listing.item_id + ": NoSystems=" + std::to_string(names.size()) +
                ", Processed=" + std::to_string(processed) + ", Failed=" + std::to_string(failed) +
                (entries.empty() ? "" : " - " + Joined(entries, ", ")));
}

int RunSystemCheckJob(SensorContext& context, std::istream& in) {
  std::string path, history_sensor, words;
  if (!std::getline(in, path) || !std::getline(in, history_sensor) || !std::getline(in, words))
    return 2;
  // The words of the job, then the milliseconds this check may take.
  std::string milliseconds;
  if (!std::getline(in, milliseconds)) return 2;
  char* end = nullptr;
  const unsigned long long within = std::strtoull(milliseconds.c_str(), &end, 10);
  if (end == milliseconds.c_str() || *end != '\0' || within > 1000ull * SensorOptions::kMaxTimeout)
    return 2;
  const SensorOptions options = ParseOptions(words);
  Platform& platform = context.platform;
  CheckReport report(context.out);
  return CheckWithin(
      platform, report, options.timeout_seconds, std::chrono::milliseconds(within),
      [&](CheckProgress& progress, const std::function<void(unsigned)>&) {
        SystemCheck check;
        check.file.path = path;
        size_t split = path.size();
        while (split > 0 && !platform.IsPathSeparator(path[split - 1])) --split;
        check.file.dir = path.substr(0, split);
        check.file.name = path.substr(split);
        check.history = HistoryKey{history_sensor};
        check.overrides = {options.host, options.system_number};
        check.call_log = options.call_log;
        progress.Track(check.file.name, "profile");
        if (!IsUsableProfileName(check.file.name) || path.find('\0') != std::string::npos) {
          report.Fail("profile", "the name cannot be a profile's",
                      "correct the name in the listing");
          report.Answer("Rfc Failure (the name cannot be a profile's)");
          return;
        }
        if (Status opened = platform.ReadFile(path, &check.file.contents); !opened.ok()) {
          report.Fail("profile",
                      "missing: " + platform.FullPath(path) + ": " +
                          (opened.cause().empty() ? opened.message() : opened.cause()),
                      "put the system's profile beside the listing, named as the "
                      "listing names it");
          report.Answer(kMissing);
          return;
        }
        CheckSystem(context, check, report, progress);
      });
}

}  // namespace quillmeter
