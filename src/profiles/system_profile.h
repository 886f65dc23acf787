// System profiles: the fixed-column text file that names one SAP system and
// holds the logon data of its RFC user.
#ifndef QUILLMETER_PROFILES_SYSTEM_PROFILE_H_
#define QUILLMETER_PROFILES_SYSTEM_PROFILE_H_

#include <string>
#include <string_view>

#include "base/status.h"
#include "platform/platform.h"
#include "rfc/connection_profile.h"

namespace quillmeter {

// Reads the connection fields of a profile's text into *profile: every
// line is read, the last line of a key wins. Fails with the profile's first
// fault, named for `name`: a faulty stored password (1004, its cause what is
// wrong with the form; 1005), then a missing user (1006) or password
// (1007), then a field shorter than it may be (its cause what was read) or
// too long for it (1003).
Status ReadSystemProfile(std::string_view contents, const std::string& name,
                         ConnectionProfile* profile);

enum class SystemProfileRead { kMissing, kInvalid, kValid };

// The multi-system read: the profile at `path` into *profile and its text
// into *contents. kMissing when the file cannot be read, kInvalid on any
// fault ReadSystemProfile reports, which *fault (when given) receives.
// Nothing of an earlier profile remains.
SystemProfileRead ReadProfileForSystem(Platform& platform, const std::string& path,
                                       ConnectionProfile* profile, std::string* contents,
                                       Status* fault = nullptr);

}  // namespace quillmeter

#endif  // QUILLMETER_PROFILES_SYSTEM_PROFILE_H_
