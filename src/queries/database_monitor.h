// ADA_ST04: the MaxDB database monitor of the connected system.
#ifndef QUILLMETER_QUERIES_DATABASE_MONITOR_H_
#define QUILLMETER_QUERIES_DATABASE_MONITOR_H_

#include <string>

#include "driver/run_state.h"

namespace quillmeter {

// One TST04ADA line is 34 character fields packed without gaps.
inline constexpr unsigned kMonitorLineLength = 860;

// Where the counters the sensor reports sit in a monitor line.
struct MonitorField {
  size_t offset;
  size_t length;
};
inline constexpr MonitorField kRollbacksField{106, 26};  // ROLLBACKS
inline constexpr MonitorField kLogPagesField{652, 26};   // LOGPAGES
inline constexpr MonitorField kLogWaitsField{678, 26};   // LOGWAITS
inline constexpr MonitorField kQueueOverField{730, 26};  // QUEUEOVER

// What ADA_ST04 returns beside the table; received but not otherwise used.
struct DatabaseStart {
  char date[8];
  char time[6];
  char version[40];
};

// Calls ADA_ST04 on run.connection, filling `table` (created by the caller
// with kMonitorLineLength) and *start. Installs the line structure
// "TST04SQD" on first use; a refusal ends the process through
// ReportRfcFailure. Returns the library's result code; for 2 and 3
// *exception holds the exception name, otherwise it is left untouched.
RFC_RC QueryDatabaseMonitor(RunState& run, ITAB_H table, DatabaseStart* start,
                            std::string* exception);

}  // namespace quillmeter

#endif  // QUILLMETER_QUERIES_DATABASE_MONITOR_H_
