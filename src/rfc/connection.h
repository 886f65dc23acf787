// The RFC connection of a run, or of one system in the multi-system run.
#ifndef QUILLMETER_RFC_CONNECTION_H_
#define QUILLMETER_RFC_CONNECTION_H_

#include <string>

#include "driver/run_state.h"

namespace quillmeter {

// The per-destination library configuration is copied to this file, where
// the library reads it.
inline constexpr const char kRfcIniFile[] = "SapRfc.ini";

// Opens a connection from run.profile: through a connect string when the
// per-destination file "SapRfc." + destination exists (copied to SapRfc.ini
// first), else through an options record. Stores and returns the handle; 0
// means no connection. When a profile value would break the connect string,
// opens nothing and sets *refusal (if given) to the error message.
RFC_HANDLE OpenConnection(RunState& run, std::string* refusal = nullptr);

// Closes run.connection if one is held and resets it to 0.
void CloseConnection(RunState& run);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_CONNECTION_H_
