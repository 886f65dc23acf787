// The four logging figures the sensor reports, in the one order in which
// history lines, the summary and the channels name them. Adding a figure
// means adding a line here.
#ifndef QUILLMETER_PROFILES_FIGURES_H_
#define QUILLMETER_PROFILES_FIGURES_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quillmeter {

struct Figure {
  std::string_view monitor_field;  // the cumulative TST04ADA counter it grows from
  std::string_view history_key;    // in history lines
  std::string_view summary_key;    // in the summary text
  std::string_view channel;        // the channel, and the item that selects it
};

// LOGPAGES, not LOGWRITES, counts the log writes. The channel spells
// "Overflows" while history lines and the summary spell "OverFlows".
inline constexpr std::array<Figure, 4> kFigures = {{
    {"LOGPAGES", "Writes=", "LogWrites=", "LogWrites"},
    {"LOGWAITS", "WaitBusy=", "WaitBusy=", "WaitBusy"},
    {"ROLLBACKS", "RollBacks=", "RollBacks=", "RollBacks"},
    {"QUEUEOVER", "OverFlows=", "OverFlows=", "Overflows"},
}};

// One value per figure, in kFigures' order.
using Counters = std::array<std::uint64_t, kFigures.size()>;

// The figure whose channel name is exactly `item`, or nullopt.
inline std::optional<size_t> FigureOfItem(std::string_view item) {
  for (size_t i = 0; i < kFigures.size(); ++i)
    if (kFigures[i].channel == item) return i;
  return std::nullopt;
}

// The leading decimal digits of `text` as a number; none, or more than 64
// bits hold (a bogus spike rather than a count), give 0.
inline std::uint64_t LeadingNumber(std::string_view text) {
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    unsigned digit = static_cast<unsigned>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return 0;
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace quillmeter

#endif  // QUILLMETER_PROFILES_FIGURES_H_
