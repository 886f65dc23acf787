// System profiles: the fixed-column text file that names one SAP system and
// holds the logon data of its RFC user.
#ifndef QUILLMETER_PROFILES_SYSTEM_PROFILE_H_
#define QUILLMETER_PROFILES_SYSTEM_PROFILE_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "platform/platform.h"
#include "profiles/prtg_credentials.h"
#include "rfc/connection_profile.h"

namespace quillmeter {

// Reads the connection fields of a profile's text into *profile: every
// line is read, the last line of a key wins. Fails with the profile's first
// fault, named for `name`: a faulty stored password (1004, its cause what is
// wrong with the form; 1005), then a missing user (1006) or password
// (1007), then a field shorter than it may be (its cause what was read) or
// too long for it (1003).
//
// A profile with "Credentials:" prtg-windows or prtg-linux takes the user
// and password from those variables of `prtg` instead, and its User and
// Password lines are ignored: an unknown kind is 1003, a variable not set
// 1047, a value that breaks the rules of its key 1003 naming the variable.
Status ReadSystemProfile(std::string_view contents, const std::string& name,
                         ConnectionProfile* profile, const PrtgCredentials& prtg = {});

// "Error 1047: Credentials of <name> come from PRTG, but <variable> is not
// set - ...": what the administrator sets in PRTG, said in PRTG's words.
std::string CredentialsMissingMessage(const std::string& name, const std::string& variable);

// The keys of `contents` that have a key's shape (letters, then dots, then
// ":" in column 12) but are none the sensor knows: likely mistyped, as the
// sensor passes over them in silence. Each once, in the order met.
std::vector<std::string> UnknownKeys(std::string_view contents);

enum class SystemProfileRead { kMissing, kInvalid, kNoCredentials, kValid };

// The multi-system read: the profile at `path` into *profile and its text
// into *contents. kMissing when the file cannot be read, kNoCredentials
// when it names PRTG credentials `prtg` lacks (*missing_variable, if given,
// names the first), kInvalid on any other fault ReadSystemProfile reports,
// which *fault (when given) receives. Nothing of an earlier profile remains.
SystemProfileRead ReadProfileForSystem(Platform& platform, const std::string& path,
                                       ConnectionProfile* profile, std::string* contents,
                                       const PrtgCredentials& prtg = {}, Status* fault = nullptr,
                                       std::string* missing_variable = nullptr);

}  // namespace quillmeter

#endif  // QUILLMETER_PROFILES_SYSTEM_PROFILE_H_
