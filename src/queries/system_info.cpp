// Provisional: the system information query is not built yet.
#include "queries/system_info.h"

namespace quillmeter {

RFC_RC ReadSystemInfo(RunState&, SystemInfo*) { return kRfcFailure; }

bool IsMaxDb(const SystemInfo& info) { return info.database_system.rfind("ADA", 0) == 0; }

}  // namespace quillmeter
