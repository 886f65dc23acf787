// The RFC connection of a run, or of one system in the multi-system run.
#ifndef QUILLMETER_RFC_CONNECTION_H_
#define QUILLMETER_RFC_CONNECTION_H_

#include "driver/run_state.h"

namespace quillmeter {

// Opens a connection from run.profile: through a connect string when the
// per-destination file "SapRfc." + destination exists, else through an
// options record. Stores and returns the handle; 0 means no connection.
RFC_HANDLE OpenConnection(RunState& run);

// Closes run.connection if one is held and resets it to 0.
void CloseConnection(RunState& run);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_CONNECTION_H_
