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

// The keys that take a number, and what it must be.
struct NumberKey {
  const char* key;
  const char* what;
  unsigned most;
  unsigned SensorOptions::*field;
};

constexpr NumberKey kNumberKeys[] = {
    {"TIMEOUT=", "a whole number of seconds", SensorOptions::kMaxTimeout,
     &SensorOptions::timeout_seconds},
    {"JOBS=", "a whole number", SensorOptions::kMaxJobs, &SensorOptions::jobs},
};

// `text` as a whole number from 1 to `most`, or nullopt when it is none:
// digits only, so that a typo such as "5O" is never read as 5.
std::optional<unsigned> WholeNumber(std::string_view text, unsigned most) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
    return std::nullopt;
  size_t first = std::min(text.find_first_not_of('0'), text.size());
  // More digits than the largest bound has is out of range, whatever they say.
  if (text.size() - first > 3) return std::nullopt;
  unsigned number = LeadingDigits(text.substr(first), 3);
  if (number < 1 || number > most) return std::nullopt;
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
  // A value that is none CheckNumbers refuses; here it keeps the default.
  for (const NumberKey& number : kNumberKeys) {
    if (std::optional<std::string> value = words.Value(number.key))
      if (std::optional<unsigned> n = WholeNumber(*value, number.most)) options.*number.field = *n;
  }
  return options;
}

Status CheckNumbers(std::string_view parameter_text, std::string_view source) {
  Words words(parameter_text);
  for (const NumberKey& number : kNumberKeys) {
    std::optional<std::string> value = words.Value(number.key);
    if (!value || WholeNumber(*value, number.most)) continue;
    return Status::Error(
        std::string("Error 1048: ") + number.key + " must be " + number.what + " from 1 to " +
            std::to_string(number.most),
        "read \"" + *value + "\"" + (source.empty() ? "" : " in " + std::string(source)));
  }
  return Status::Ok();
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
