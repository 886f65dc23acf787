#include "queries/database_monitor.h"

#include <string_view>

#include "queries/remote_call.h"

namespace quillmeter {
namespace {

constexpr StructureField kTst04sqdFields[] = {
    {"CACHESIZE", kRfcTypeChar, 14},  {"CACHEACC", kRfcTypeChar, 26},
    {"CACHEHITS", kRfcTypeChar, 26},  {"HITRATE", kRfcTypeChar, 14},
    {"SQLCOMM", kRfcTypeChar, 26},    {"ROLLBACKS", kRfcTypeChar, 26},
    {"COMMITS", kRfcTypeChar, 26},    {"PREPARES", kRfcTypeChar, 26},
    {"EXECUTES", kRfcTypeChar, 26},   {"CREATES", kRfcTypeChar, 26},
    {"ALTERS", kRfcTypeChar, 26},     {"DROPS", kRfcTypeChar, 26},
    {"SHOWS", kRfcTypeChar, 26},      {"PHYREADS", kRfcTypeChar, 26},
    {"PHYWRITES", kRfcTypeChar, 26},  {"LOGREADS", kRfcTypeChar, 26},
    {"LOGWRITES", kRfcTypeChar, 26},  {"LOCKENTRY", kRfcTypeChar, 26},
    {"MAXENTRIES", kRfcTypeChar, 26}, {"AVGENTRIES", kRfcTypeChar, 26},
    {"ROWENTRIES", kRfcTypeChar, 26}, {"TABENTRIES", kRfcTypeChar, 26},
    {"COLLISION", kRfcTypeChar, 26},  {"ESCALATION", kRfcTypeChar, 26},
    {"LOCKHOLDER", kRfcTypeChar, 26}, {"LOCKREQ", kRfcTypeChar, 26},
    {"LOGPAGES", kRfcTypeChar, 26},   {"LOGWAITS", kRfcTypeChar, 26},
    {"GROUPCOM", kRfcTypeChar, 26},   {"QUEUEOVER", kRfcTypeChar, 26},
    {"TABLESCANS", kRfcTypeChar, 26}, {"INDEXSCANS", kRfcTypeChar, 26},
    {"CACHESORTS", kRfcTypeChar, 26}, {"ROWSORTS", kRfcTypeChar, 26},
};

constexpr unsigned FieldsLength() {
  unsigned total = 0;
  for (const StructureField& field : kTst04sqdFields) total += field.length;
  return total;
}
static_assert(FieldsLength() == kMonitorLineLength);

// The offset of a field in the packed line, to hold the reported counters'
// positions to the field list.
constexpr size_t FieldOffset(std::string_view name) {
  size_t offset = 0;
  for (const StructureField& field : kTst04sqdFields) {
    if (name == field.name) return offset;
    offset += field.length;
  }
  return offset;
}
static_assert(FieldOffset("ROLLBACKS") == kRollbacksField.offset);
static_assert(FieldOffset("LOGPAGES") == kLogPagesField.offset);
static_assert(FieldOffset("LOGWAITS") == kLogWaitsField.offset);
static_assert(FieldOffset("QUEUEOVER") == kQueueOverField.offset);

}  // namespace

RFC_RC QueryDatabaseMonitor(RunState& run, ITAB_H table, DatabaseStart* start,
                            std::string* exception) {
  // The line type is registered under its dictionary name, not the table's.
  InstallStructure(run, &run.rfc->tst04sqd, "TST04SQD", kTst04sqdFields);

  ParameterList exporting;
  ParameterList importing;
  importing.Add("DBSTART_DATE", kRfcTypeDate, sizeof start->date, start->date);
  importing.Add("DBSTART_TIME", kRfcTypeTime, sizeof start->time, start->time);
  importing.Add("DBVERSION", kRfcTypeChar, sizeof start->version, start->version);
  TableList tables;
  tables.Add("TST04ADA", run.rfc->tst04sqd, kMonitorLineLength, table);
  return CallRemoteFunction(run, "ADA_ST04", exporting, importing, tables, exception);
}

}  // namespace quillmeter
