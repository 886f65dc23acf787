// System profiles: the fixed-column text file that names one SAP system and
// holds the logon data of its RFC user.
#ifndef QUILLMETER_PROFILES_SYSTEM_PROFILE_H_
#define QUILLMETER_PROFILES_SYSTEM_PROFILE_H_

#include <string>

#include "driver/run_state.h"

namespace quillmeter {

// Reads run.profile_contents (the profile at ProfilePath) into run.profile
// and keeps every line, whole, in run.profile_lines. Returns false with the
// error result set on the first fault (errors 1003 to 1007); a value too
// long for its field is error 1003.
bool ReadSystemProfile(RunState& run);

enum class SystemProfileRead { kMissing, kInvalid, kValid };

// The multi-system read: clears run.profile, then reads the profile at
// `path` into it and sets ProfilePath, the contents and every line as the
// single read does, so the history line can be rewritten. kMissing when the
// file cannot be read, kInvalid when a field is missing, too short or too
// long, or a stored password is faulty. Prints nothing.
SystemProfileRead ReadProfileForSystem(RunState& run, const std::string& path);

}  // namespace quillmeter

#endif  // QUILLMETER_PROFILES_SYSTEM_PROFILE_H_
