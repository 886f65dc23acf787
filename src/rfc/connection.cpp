// Provisional: the connection is not built yet.
#include "rfc/connection.h"

namespace quillmeter {

RFC_HANDLE OpenConnection(RunState& run) { return run.connection = 0; }

void CloseConnection(RunState& run) { run.connection = 0; }

}  // namespace quillmeter
