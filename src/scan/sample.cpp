#include "scan/sample.h"

#include <iterator>

#include "rfc/tst04ada.h"

namespace quillmeter {
namespace {

constexpr size_t kCollectionLength = 25;
constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

constexpr bool EveryFigureIsAMonitorField() {
  for (const Figure& figure : kFigures)
    if (!MonitorFieldPlace(figure.monitor_field)) return false;
  return true;
}
static_assert(EveryFigureIsAMonitorField());

}  // namespace

SampleStamp StampOfCollection(std::string_view collection) {
  // "Www Mmm dd hh:mm:ss yyyy", columns fixed.
  std::string text(collection.substr(0, kCollectionLength));
  text.resize(kCollectionLength, ' ');
  // A line break or NUL from the remote system must not split or end the
  // history line.
  for (char& c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte > 0x7e) c = '?';
  }
  for (size_t month = 0; month < std::size(kMonthNames); ++month) {
    if (text.compare(4, 3, kMonthNames[month]) == 0) {
      text[5] = static_cast<char>('0' + (month + 1) / 10);
      text[6] = static_cast<char>('0' + (month + 1) % 10);
      break;
    }
  }
  if (text[8] == ' ') text[8] = '0';
  SampleStamp stamp;
  stamp.date = "20" + text.substr(22, 2) + text.substr(5, 2) + text.substr(8, 2);
  stamp.time = text.substr(11, 8);
  return stamp;
}

std::string StripBlanksAndDots(std::string_view text) {
  if (text.size() < 4) return std::string(text);
  std::string stripped;
  for (char c : text)
    if (c != ' ' && c != '.') stripped.push_back(c);
  return stripped;
}

std::uint64_t CounterValue(std::string_view field) {
  return LeadingNumber(StripBlanksAndDots(field));
}

Counters CountersOfMonitorLine(std::string_view line) {
  Counters counters{};
  for (size_t i = 0; i < kFigures.size(); ++i) {
    FieldPlace place = *MonitorFieldPlace(kFigures[i].monitor_field);
    if (place.offset < line.size())
      counters[i] = CounterValue(line.substr(place.offset, place.length));
  }
  return counters;
}

bool IsMaxDb(const SystemInfo& info) { return info.database_system.rfind("ADA", 0) == 0; }

}  // namespace quillmeter
