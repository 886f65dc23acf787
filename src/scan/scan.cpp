#include "scan/scan.h"

#include "base/text.h"
#include "scan/sample.h"

namespace quillmeter {

std::string_view ScanStepName(ScanStep step) {
  switch (step) {
    case ScanStep::kOpen: return "RfcOpen";
    case ScanStep::kCollectionTime: return "GET_CPU_ALL";
    case ScanStep::kSystemInfo: return "RFC_SYSTEM_INFO";
    case ScanStep::kDatabaseCheck: return "database check";
    case ScanStep::kMonitor: return "ADA_ST04";
    case ScanStep::kDone: break;
  }
  return "done";
}

ScanResult ScanSystem(SapSystem& system, const ScanRequest& request) {
  ScanResult result;
  auto begin = [&](ScanStep step) {
    if (request.progress) request.progress(ScanStepName(step));
  };
  auto done = [&](ScanStep step) {
    if (request.succeeded) request.succeeded(step, result);
  };
  auto fail = [&](ScanStep step, Status status) {
    system.Close();
    result.step = step;
    result.status = std::move(status);
    return result;
  };

  begin(ScanStep::kOpen);
  OpenRequest open = request.open;
  if (request.progress) {
    open.waiting = [&](const std::string& wait) {
      if (wait.empty())
        begin(ScanStep::kOpen);
      else
        request.progress(wait);
    };
  }
  Status opened = system.Open(open, &result.console_note);
  if (!opened.ok()) {
    result.step = ScanStep::kOpen;
    result.status = std::move(opened);
    return result;
  }
  done(ScanStep::kOpen);
  std::string& collection = result.collection_text;
  begin(ScanStep::kCollectionTime);
  if (Status read = system.ReadCollectionTime(&collection); !read.ok())
    return fail(ScanStep::kCollectionTime, std::move(read));
  done(ScanStep::kCollectionTime);
  const SampleStamp stamp = StampOfCollection(collection);
  SystemInfo& info = result.system_info;
  begin(ScanStep::kSystemInfo);
  if (Status read = system.ReadSystemInfo(&info); !read.ok())
    return fail(ScanStep::kSystemInfo, std::move(read));
  if (!IsMaxDb(info))
    return fail(ScanStep::kDatabaseCheck,
                Status::Error("Error 1018: DataBase mismatch !",
                              "the database is " + WithoutTrailingBlanks(info.database_system)));
  done(ScanStep::kSystemInfo);
  std::string line;
  begin(ScanStep::kMonitor);
  if (Status read = system.ReadMonitorLine(&line); !read.ok())
    return fail(ScanStep::kMonitor, std::move(read));
  system.Close();

  result.current = CountersOfMonitorLine(line);
  done(ScanStep::kMonitor);
  const Counters& current = result.current;
  const PreviousSample& previous = result.previous =
      FindPreviousSample(SplitLines(request.profile_text), request.history, stamp.date);
  result.growth = Growth(previous, current);
  result.history = NextHistory(request.history, previous, stamp, current);
  return result;
}

}  // namespace quillmeter
