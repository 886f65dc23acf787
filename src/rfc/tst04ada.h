// The line of ADA_ST04's table TST04ADA (dictionary structure TST04SQD):
// 34 character fields packed without gaps, 860 characters in all.
#ifndef QUILLMETER_RFC_TST04ADA_H_
#define QUILLMETER_RFC_TST04ADA_H_

#include <cstddef>
#include <optional>
#include <string_view>

namespace quillmeter {

struct MonitorField {
  std::string_view name;
  size_t length;
};

inline constexpr MonitorField kMonitorFields[] = {
    {"CACHESIZE", 14},  {"CACHEACC", 26},   {"CACHEHITS", 26},  {"HITRATE", 14},
    {"SQLCOMM", 26},    {"ROLLBACKS", 26},  {"COMMITS", 26},    {"PREPARES", 26},
    {"EXECUTES", 26},   {"CREATES", 26},    {"ALTERS", 26},     {"DROPS", 26},
    {"SHOWS", 26},      {"PHYREADS", 26},   {"PHYWRITES", 26},  {"LOGREADS", 26},
    {"LOGWRITES", 26},  {"LOCKENTRY", 26},  {"MAXENTRIES", 26}, {"AVGENTRIES", 26},
    {"ROWENTRIES", 26}, {"TABENTRIES", 26}, {"COLLISION", 26},  {"ESCALATION", 26},
    {"LOCKHOLDER", 26}, {"LOCKREQ", 26},    {"LOGPAGES", 26},   {"LOGWAITS", 26},
    {"GROUPCOM", 26},   {"QUEUEOVER", 26},  {"TABLESCANS", 26}, {"INDEXSCANS", 26},
    {"CACHESORTS", 26}, {"ROWSORTS", 26},
};

inline constexpr unsigned kMonitorLineLength = 860;

// Where field `name` sits in a line: its offset and length, or nullopt for
// a name the structure does not have.
struct FieldPlace {
  size_t offset;
  size_t length;
};
constexpr std::optional<FieldPlace> MonitorFieldPlace(std::string_view name) {
  size_t offset = 0;
  for (const MonitorField& field : kMonitorFields) {
    if (field.name == name) return FieldPlace{offset, field.length};
    offset += field.length;
  }
  return std::nullopt;
}

static_assert(MonitorFieldPlace("ROWSORTS")->offset + 26 == kMonitorLineLength);
static_assert(MonitorFieldPlace("ROLLBACKS")->offset == 106);
static_assert(MonitorFieldPlace("LOGPAGES")->offset == 652);
static_assert(MonitorFieldPlace("LOGWAITS")->offset == 678);
static_assert(MonitorFieldPlace("QUEUEOVER")->offset == 730);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_TST04ADA_H_
