// RFC_SYSTEM_INFO: what the system reports of itself.
#ifndef QUILLMETER_QUERIES_SYSTEM_INFO_H_
#define QUILLMETER_QUERIES_SYSTEM_INFO_H_

#include <string>

#include "driver/run_state.h"

namespace quillmeter {

struct SystemInfo {
  std::string database_system;  // RFCDBSYS, 10 characters as received
  std::string host;             // RFCHOST, 8 characters
};

// Calls RFC_SYSTEM_INFO on run.connection. On success sets the run state to
// "OK", fills *info and takes the host as the display host. On failure
// appends the mapped error text to ResultText. Returns the result code.
RFC_RC ReadSystemInfo(RunState& run, SystemInfo* info);

// True when the database system is MaxDB (its name begins with "ADA").
bool IsMaxDb(const SystemInfo& info);

}  // namespace quillmeter

#endif  // QUILLMETER_QUERIES_SYSTEM_INFO_H_
