// History lines: the previous sample a scan measures its growth against,
// kept in the system profile itself. A single-system sensor keeps "# Alg"
// (the latest sample) and "# Alx" (the one before, never read); each
// multi-system sensor keeps one "# Alm <sensor>" line of its own.
#ifndef QUILLMETER_PROFILES_HISTORY_H_
#define QUILLMETER_PROFILES_HISTORY_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/figures.h"

namespace quillmeter {

// When a sample was taken: the remote system's collection date and time.
struct SampleStamp {
  std::string date = "20000101";  // YYYYMMDD
  std::string time = "16:20:21";  // HH:MM:SS
};

// Whose history: empty `sensor` for the single-system "# Alg" line, else
// the multi-system sensor's name ("Tessarin.Prf/LogWrites").
struct HistoryKey {
  std::string sensor;
};

// The text every history line of `key` begins with: "# Alg Date=", or
// "# Alm <sensor> Date=" with control characters in the name made "?", so
// that no name can split a profile line.
std::string HistoryPrefix(const HistoryKey& key);

struct PreviousSample {
  bool found = false;
  bool same_day = false;  // taken on the current sample's date
  std::string line;       // whole, as it stands in the profile
  Counters counters{};    // a key missing from the line reads 0
};

// The first line of `lines` that begins with HistoryPrefix(key), and the
// sample it holds, judged against the current sample's date.
PreviousSample FindPreviousSample(const std::vector<std::string>& lines, const HistoryKey& key,
                                  std::string_view sample_date);

// How much each counter grew since a previous sample of the same day: 0 on
// another day or without one, and 0 for a counter that went down (the
// database restarted).
Counters Growth(const PreviousSample& previous, const Counters& current);

// A new history line for a profile.
struct HistoryUpdate {
  HistoryKey key;
  std::string line;           // the new history line
  std::string previous_line;  // single-system: the line it replaces, "" for none
};

// The update that stores `current`, or nullopt when the profile holds this
// sample already (same day, same counters) and need not be written.
std::optional<HistoryUpdate> NextHistory(const HistoryKey& key, const PreviousSample& previous,
                                         const SampleStamp& stamp, const Counters& current);

// `contents` with `update` applied, in the file's own line ends. Single-
// system: every "# Alg"/"# Alx" line goes; the new line follows the others,
// then the replaced one as "# Alx". Multi-system: the sensor's line is
// replaced where it stands, or added at the end. Every other line stays.
std::string ApplyHistory(std::string_view contents, const HistoryUpdate& update);

}  // namespace quillmeter

#endif  // QUILLMETER_PROFILES_HISTORY_H_
