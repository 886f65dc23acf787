#include "profiles/history.h"

#include "base/text.h"

namespace quillmeter {
namespace {

constexpr std::string_view kLatestTag = "# Alg ";
constexpr std::string_view kPreviousTag = "# Alx ";
constexpr std::string_view kSensorTag = "# Alm ";
constexpr size_t kDateLength = 8;

}  // namespace

std::string HistoryPrefix(const HistoryKey& key) {
  if (key.sensor.empty()) return std::string(kLatestTag) + "Date=";
  std::string name = key.sensor;
  for (char& c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  return std::string(kSensorTag) + name + " Date=";
}

PreviousSample FindPreviousSample(const std::vector<std::string>& lines, const HistoryKey& key,
                                  std::string_view sample_date) {
  const std::string prefix = HistoryPrefix(key);
  PreviousSample previous;
  for (const std::string& line : lines) {
    if (!StartsWith(line, prefix)) continue;
    previous.found = true;
    previous.line = line;
    break;
  }
  if (!previous.found) return previous;
  std::string_view sample = std::string_view(previous.line).substr(prefix.size());
  previous.same_day = sample.size() >= kDateLength && sample_date.size() >= kDateLength &&
                      sample.substr(0, kDateLength) == sample_date.substr(0, kDateLength);
  for (size_t i = 0; i < kFigures.size(); ++i) {
    std::string_view history_key = kFigures[i].history_key;
    size_t at = sample.find(history_key);
    if (at != std::string_view::npos)
      previous.counters[i] = LeadingNumber(sample.substr(at + history_key.size()));
  }
  return previous;
}

Counters Growth(const PreviousSample& previous, const Counters& current) {
  Counters growth{};
  if (!previous.same_day) return growth;
  for (size_t i = 0; i < growth.size(); ++i)
    if (current[i] >= previous.counters[i]) growth[i] = current[i] - previous.counters[i];
  return growth;
}

std::optional<HistoryUpdate> NextHistory(const HistoryKey& key, const PreviousSample& previous,
                                         const SampleStamp& stamp, const Counters& current) {
  if (previous.same_day && current == previous.counters) return std::nullopt;
  HistoryUpdate update;
  update.key = key;
  update.line = HistoryPrefix(key) + stamp.date + " " + stamp.time;
  for (size_t i = 0; i < kFigures.size(); ++i)
    update.line += " " + std::string(kFigures[i].history_key) + std::to_string(current[i]);
  if (key.sensor.empty() && previous.found) update.previous_line = previous.line;
  return update;
}

std::string ApplyHistory(std::string_view contents, const HistoryUpdate& update) {
  const std::string_view line_end = LineEndOf(contents);
  std::string rewritten;
  auto append = [&](std::string_view line) {
    rewritten.append(line);
    rewritten.append(line_end);
  };
  if (update.key.sensor.empty()) {
    for (const std::string& line : SplitLines(contents))
      if (!StartsWith(line, kLatestTag) && !StartsWith(line, kPreviousTag)) append(line);
    append(update.line);
    if (!update.previous_line.empty())
      append(std::string(kPreviousTag) + update.previous_line.substr(kPreviousTag.size()));
    return rewritten;
  }
  const std::string prefix = HistoryPrefix(update.key);
  bool written = false;
  for (const std::string& line : SplitLines(contents)) {
    if (!StartsWith(line, prefix)) {
      append(line);
    } else if (!written) {
      append(update.line);
      written = true;
    }
  }
  if (!written) append(update.line);
  return rewritten;
}

}  // namespace quillmeter
