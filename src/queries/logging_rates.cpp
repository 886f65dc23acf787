#include "queries/logging_rates.h"

#include <array>
#include <string>

#include "base/text.h"
#include "output/channel.h"
#include "output/document.h"
#include "output/formatting.h"
#include "queries/database_monitor.h"
#include "queries/remote_call.h"

namespace quillmeter {
namespace {

constexpr const char kTableName[] = "TST04ADA";
constexpr std::string_view kHistoryPrefix = "# Alg Date=";
constexpr std::string_view kHistoryTag = "# Alg ";
constexpr std::string_view kPreviousTag = "# Alx ";
constexpr std::string_view kItemHistoryTag = "# Alm ";
constexpr size_t kDateLength = 8;

struct CounterSpec {
  MonitorField field;
  std::string_view history_key;
  std::string_view summary_key;
  std::string_view channel;
};

// LOGPAGES, not LOGWRITES, counts the log writes. The channel spells
// "Overflows" while the history and summary spell "OverFlows".
constexpr std::array<CounterSpec, 4> kCounters = {{
    {kLogPagesField, "Writes=", "LogWrites=", "LogWrites"},
    {kLogWaitsField, "WaitBusy=", "WaitBusy=", "WaitBusy"},
    {kRollbacksField, "RollBacks=", "RollBacks=", "RollBacks"},
    {kQueueOverField, "OverFlows=", "OverFlows=", "Overflows"},
}};

using LoggingCounters = std::array<std::uint64_t, kCounters.size()>;

// The stored sample a run compares with.
struct PreviousSample {
  bool found = false;
  bool same_day = false;
  std::string line;  // whole, as it stands in the profile
  LoggingCounters counters{};
};

// Leading decimal digits of `text`; none, or more than 64 bits hold, is 0.
std::uint64_t LeadingNumber(std::string_view text) {
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    unsigned digit = static_cast<unsigned>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return 0;
    value = value * 10 + digit;
  }
  return value;
}

LoggingCounters ReadCounters(RunState& run, ITAB_H table) {
  LoggingCounters counters{};
  // Every line overwrites the sample: the last one counts.
  unsigned lines = run.rfc->ItFill(table);
  for (unsigned number = 1; number <= lines; ++number) {
    const char* line = TableLine(run, table, number, kTableName);
    for (size_t i = 0; i < kCounters.size(); ++i) {
      const MonitorField& field = kCounters[i].field;
      counters[i] = CounterValue(std::string_view(line + field.offset, field.length));
    }
  }
  return counters;
}

// The first profile line beginning with `prefix`, and the sample it holds.
PreviousSample FindPreviousSample(const RunState& run, std::string_view prefix) {
  PreviousSample previous;
  previous.line = FindProfileLine(run.profile_lines, prefix);
  if (previous.line.empty()) return previous;
  previous.found = true;
  std::string_view sample = std::string_view(previous.line).substr(prefix.size());
  previous.same_day = sample.size() >= kDateLength && run.sample_date.size() >= kDateLength &&
                      sample.substr(0, kDateLength) == run.sample_date.substr(0, kDateLength);
  for (size_t i = 0; i < kCounters.size(); ++i) {
    size_t key = sample.find(kCounters[i].history_key);
    if (key != std::string_view::npos)
      previous.counters[i] = LeadingNumber(sample.substr(key + kCounters[i].history_key.size()));
  }
  return previous;
}

// "YYYYMMDD HH:MM:SS Writes=.. WaitBusy=.. RollBacks=.. OverFlows=..".
std::string SampleText(const RunState& run, const LoggingCounters& counters) {
  std::string text = run.sample_date + " " + run.sample_time;
  for (size_t i = 0; i < kCounters.size(); ++i)
    text += " " + std::string(kCounters[i].history_key) + std::to_string(counters[i]);
  return text;
}

// A profile edited on Windows keeps its line ends.
std::string_view ProfileLineEnd(const RunState& run) {
  size_t end = run.profile_contents.find('\n');
  if (end != std::string::npos && end > 0 && run.profile_contents[end - 1] == '\r') return "\r\n";
  return "\n";
}

void AppendLine(std::string* contents, std::string_view line, std::string_view line_end) {
  contents->append(line);
  contents->append(line_end);
}

// The single-system history: every "# Alg"/"# Alx" line goes, the new
// sample follows the other lines, and the sample it replaces follows that.
std::string SingleSystemProfile(const RunState& run, const PreviousSample& previous,
                                const std::string& history_line) {
  std::string_view line_end = ProfileLineEnd(run);
  std::string contents;
  for (const std::string& line : run.profile_lines)
    if (!StartsWith(line, kHistoryTag) && !StartsWith(line, kPreviousTag))
      AppendLine(&contents, line, line_end);
  AppendLine(&contents, history_line, line_end);
  if (previous.found)
    AppendLine(&contents, std::string(kPreviousTag) + previous.line.substr(kPreviousTag.size()),
               line_end);
  return contents;
}

// A multi-system sensor's history: its one line is replaced where it stands
// (or added at the end); every other line stays as it was.
std::string ItemProfile(const RunState& run, std::string_view prefix,
                        const std::string& history_line) {
  std::string_view line_end = ProfileLineEnd(run);
  std::string contents;
  bool written = false;
  for (const std::string& line : run.profile_lines) {
    if (StartsWith(line, prefix)) {
      if (!written) AppendLine(&contents, history_line, line_end);
      written = true;
      continue;
    }
    AppendLine(&contents, line, line_end);
  }
  if (!written) AppendLine(&contents, history_line, line_end);
  return contents;
}

// The multi-system sensor's line prefix. The name comes from a listing file;
// a control character in it must not break the profile's lines.
std::string ItemHistoryPrefix(const RunState& run) {
  std::string name = run.item_history_name;
  for (char& c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  return std::string(kItemHistoryTag) + name + " Date=";
}

// Several sensors keep history in one system profile (every multi-system
// sensor a line of its own), and the remote calls take a while: rewrite the
// profile as it stands now, so that what another scan wrote since survives.
// False when it cannot be read whole now: the older copy must not replace
// what the file holds.
bool RereadProfile(RunState& run) {
  std::string contents;
  if (!run.platform.ReadFile(run.profile_path, &contents).ok()) return false;
  if (contents == run.profile_contents) return true;
  run.profile_contents = std::move(contents);
  run.profile_lines = SplitLines(run.profile_contents);
  return true;
}

void AppendSummaryAndChannels(RunState& run, const LoggingCounters& growth) {
  OpenDocument(run);
  OpenText(run);
  std::string summary = "(" + run.profile.destination + ") Logging: ";
  for (size_t i = 0; i < kCounters.size(); ++i) {
    if (i > 0) summary += ", ";
    summary += std::string(kCounters[i].summary_key) + GroupThousands(std::to_string(growth[i]));
  }
  AppendElementText(run, summary);
  CloseText(run);
  for (size_t i = 0; i < kCounters.size(); ++i)
    AddChannel(run, kCounters[i].channel, std::to_string(growth[i]), "");
  CloseDocument(run);
}

void PrintItemChannel(RunState& run, const LoggingCounters& growth) {
  run.result.Clear();
  // An item that names no figure leaves the system "Not Found".
  for (size_t i = 0; i < kCounters.size(); ++i) {
    if (run.item_id == kCounters[i].channel) {
      AddChannel(run, run.system_alias, std::to_string(growth[i]), "");
      run.item_found = true;
    }
  }
  run.out << run.result.str();
  run.result.Clear();
}

}  // namespace

std::uint64_t CounterValue(std::string_view field) {
  return LeadingNumber(StripBlanksAndDots(field));
}

RFC_RC ComputeLoggingRates(RunState& run) {
  ITAB_H table = CreateTable(run, kTableName, kMonitorLineLength);
  DatabaseStart start{};
  std::string exception;
  RFC_RC rc = QueryDatabaseMonitor(run, table, &start, &exception);
  if (rc != kRfcOk) {
    AppendQueryFailure(run, rc, exception);
    DeleteTable(run, table, kTableName);
    return rc;
  }
  run.run_ok = true;
  LoggingCounters current = ReadCounters(run, table);

  std::string prefix = run.item_mode ? ItemHistoryPrefix(run) : std::string(kHistoryPrefix);
  PreviousSample previous = FindPreviousSample(run, prefix);
  LoggingCounters growth{};
  if (previous.same_day) {
    // A counter that went down means the database restarted: no growth.
    for (size_t i = 0; i < kCounters.size(); ++i)
      if (current[i] >= previous.counters[i]) growth[i] = current[i] - previous.counters[i];
  }

  bool saved = true;
  if ((!previous.same_day || current != previous.counters) && (saved = RereadProfile(run))) {
    std::string history_line = prefix + SampleText(run, current);
    std::string contents = run.item_mode ? ItemProfile(run, prefix, history_line)
                                         : SingleSystemProfile(run, previous, history_line);
    saved = run.platform.AtomicReplace(run.profile_path, contents).ok();
  }
  if (!saved) {
    run.run_ok = false;
    run.result.Append("Error 1016: ReWriting of Profile " + run.profile_name + " failed !");
  } else if (run.item_mode) {
    PrintItemChannel(run, growth);
  } else {
    AppendSummaryAndChannels(run, growth);
  }
  DeleteTable(run, table, kTableName);
  return rc;
}

}  // namespace quillmeter
