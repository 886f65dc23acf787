#include "driver/sensor_options.h"

#include <algorithm>

#include "base/text.h"
#include "profiles/global_listing.h"

namespace quillmeter {
namespace {

// Longest channel number Talvren's "CH=" reads.
constexpr size_t kChannelDigits = 3;

// Keys are found in the upper-case copy; values are read from the caller's
// text at the same place, so they keep their case.
class Words {
 public:
  explicit Words(std::string_view text) : text_(text), upper_(UpperCase(text)) {}

  bool Has(std::string_view key) const { return upper_.find(key) != std::string::npos; }

  // The text after the first `key`, or nullopt without one.
  std::optional<std::string_view> After(std::string_view key) const {
    size_t at = upper_.find(key);
    if (at == std::string::npos) return std::nullopt;
    return text_.substr(std::min(text_.size(), at + key.size()));
  }

  // The value after `key` up to the next blank or comma.
  std::optional<std::string> Value(std::string_view key) const {
    std::optional<std::string_view> rest = After(key);
    if (!rest) return std::nullopt;
    return std::string(rest->substr(0, rest->find_first_of(" ,")));
  }

  const std::string& upper() const { return upper_; }

 private:
  std::string_view text_;
  std::string upper_;
};

unsigned LeadingDigits(std::string_view text, size_t at_most) {
  unsigned number = 0;
  for (size_t i = 0; i < text.size() && i < at_most; ++i) {
    if (text[i] < '0' || text[i] > '9') break;
    number = number * 10 + static_cast<unsigned>(text[i] - '0');
  }
  return number;
}

}  // namespace

SensorOptions ParseOptions(std::string_view parameter_text) {
  Words words(parameter_text);
  SensorOptions options;
  options.parameter_text = std::string(parameter_text);
  options.first_word = words.upper().substr(0, words.upper().find(' '));
  options.console_trace = words.upper().find_first_of("#@$%") != std::string::npos;
  options.open_in_place = words.Has("@");
  if (std::optional<std::string_view> item = words.After("ITEM=")) options.item = ItemValue(*item);
  if (std::optional<std::string_view> channel = words.After("CH="))
    options.channel = LeadingDigits(*channel, kChannelDigits);
  options.host = words.Value(",HOST=");
  options.system_number = words.Value(",NO=");
  options.call_log = words.Has(",SYSLOG");
  // A value outside the range is taken as its nearer end, as PRTG's own
  // timeout goes up to 900 s; one without digits keeps the default.
  auto bounded = [&](std::string_view key, unsigned fallback, unsigned most) {
    std::optional<std::string_view> value = words.After(key);
    if (!value || value->empty() || (*value)[0] < '0' || (*value)[0] > '9') return fallback;
    return std::clamp(LeadingDigits(*value, 4), 1u, most);
  };
  options.timeout_seconds =
      bounded("TIMEOUT=", SensorOptions::kDefaultTimeout, SensorOptions::kMaxTimeout);
  options.jobs = bounded("JOBS=", SensorOptions::kDefaultJobs, SensorOptions::kMaxJobs);
  return options;
}

SensorOptions AllocationOptions(const SensorOptions& command_line, std::string_view allocation) {
  SensorOptions options = ParseOptions(allocation);
  options.console_trace = command_line.console_trace;
  // The time and the number of workers belong to the PRTG sensor, whose own
  // timeout sits beside its parameters: what the command line says holds.
  Words given(command_line.parameter_text);
  if (given.Has("TIMEOUT=")) options.timeout_seconds = command_line.timeout_seconds;
  if (given.Has("JOBS=")) options.jobs = command_line.jobs;
  return options;
}

std::string ParameterDisplay(std::string_view parameter_text) {
  std::string_view display = parameter_text.substr(0, parameter_text.find('#'));
  display = display.substr(0, display.find('@'));
  // What a cut "(No Parameters)" or "(Parameters ...)" placeholder leaves.
  if (display == "(Parameters " || display == "(No ") display = {};
  return display.empty() ? "(No Parameters)" : std::string(display);
}

std::string ListingParameterDisplay(std::string_view parameter_text) {
  std::string display(parameter_text);
  std::replace(display.begin(), display.end(), ':', ' ');
  return display.substr(0, display.find(" @"));
}

}  // namespace quillmeter
