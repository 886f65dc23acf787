// The three function modules the sensor calls, with the classic library's
// records for each: RFC_SYSTEM_INFO, GET_CPU_ALL and ADA_ST04.
#ifndef QUILLMETER_RFC_REMOTE_FUNCTIONS_H_
#define QUILLMETER_RFC_REMOTE_FUNCTIONS_H_

#include <string>

#include "rfc/remote_call.h"
#include "rfc/sap_system.h"

namespace quillmeter {

// Each returns the library's result code; for 2 and 3 *exception holds the
// exception name. Library faults on tables and types end the process.

// GET_CPU_ALL: *last_collection receives LASTCOLLWRT (25 characters).
RFC_RC CallGetCpuAll(RfcSession& session, std::string* last_collection, std::string* exception);

// RFC_SYSTEM_INFO: *info receives RFCDBSYS and RFCHOST from RFCSI_EXPORT.
RFC_RC CallSystemInfo(RfcSession& session, SystemInfo* info, std::string* exception);

// ADA_ST04: *last_line receives the last TST04ADA line, "" when there is
// none.
RFC_RC CallAdaSt04(RfcSession& session, std::string* last_line, std::string* exception);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_REMOTE_FUNCTIONS_H_
