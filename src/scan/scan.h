// One scan of one system: open, collection time, system information, the
// MaxDB check, the monitor, and the growth since the previous sample. Both
// runs call it; neither repeats the sequence.
#ifndef QUILLMETER_SCAN_SCAN_H_
#define QUILLMETER_SCAN_SCAN_H_

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/status.h"
#include "profiles/figures.h"
#include "profiles/history.h"
#include "rfc/sap_system.h"

namespace quillmeter {

// The steps of a scan, in order.
enum class ScanStep { kOpen, kCollectionTime, kSystemInfo, kDatabaseCheck, kMonitor, kDone };

// The step's name as the administrator knows it: the library operation or
// function module it waits on.
std::string_view ScanStepName(ScanStep step);

struct ScanResult;

struct ScanRequest {
  OpenRequest open;
  HistoryKey history;        // whose previous sample the growth is measured against
  std::string profile_text;  // the profile as read, holding that sample
  // Told what the scan waits on as it goes: each step's name as it begins,
  // and while the open waits for another scan, that wait.
  std::function<void(std::string_view step)> progress;
  // Told each step that succeeded as soon as it did, with what the scan has
  // read so far; none when nobody asks.
  std::function<void(ScanStep step, const ScanResult& so_far)> succeeded;
};

struct ScanResult {
  // The step that failed, with its status; kDone when every step succeeded.
  ScanStep step = ScanStep::kDone;
  Status status;
  // The library's line about the open, for the console trace ("" for none).
  std::string console_note;
  // How much each figure grew since the previous sample of the same day.
  Counters growth{};
  // The profile's new history, to commit; nullopt when it holds the sample
  // already or the scan failed.
  std::optional<HistoryUpdate> history;
  // What the system answered, as far as the scan came, and the sample the
  // growth was measured against: what the setup check shows.
  std::string collection_text;
  SystemInfo system_info;
  Counters current{};
  PreviousSample previous;
};

// Scans the system `request` names through `system`, and closes the
// connection before it returns. A database that is not MaxDB fails the
// step kDatabaseCheck with "Error 1018: DataBase mismatch !".
ScanResult ScanSystem(SapSystem& system, const ScanRequest& request);

}  // namespace quillmeter

#endif  // QUILLMETER_SCAN_SCAN_H_
