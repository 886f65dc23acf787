// What a scan changes in its system profile, written in one replace: a new
// history line and the logon guard.
#ifndef QUILLMETER_PROFILES_PROFILE_UPDATE_H_
#define QUILLMETER_PROFILES_PROFILE_UPDATE_H_

#include <optional>
#include <string>
#include <string_view>

#include "base/status.h"
#include "platform/platform.h"
#include "profiles/history.h"
#include "profiles/logon_guard.h"

namespace quillmeter {

struct ProfileUpdate {
  std::optional<HistoryUpdate> history;  // nullopt: the history lines stay
  enum class Guard {
    kKeep,  // the guard line stays as it is
    kSet,   // `guard` replaces it, or is added at the end
    kLift,  // it goes
  } guard_change = Guard::kKeep;
  LogonGuard guard;
};

// `contents` with `update` applied, in the file's own line ends; every line
// it does not name stays.
std::string ApplyProfileUpdate(std::string_view contents, const ProfileUpdate& update);

// Applies `update` to the profile at `path` as it stands now, so that what
// another scan wrote meanwhile survives, and replaces it atomically; a
// profile the update leaves as it is is not written. Fails, leaving the
// profile alone, when it cannot be read or replaced.
Status CommitProfileUpdate(Platform& platform, const std::string& path,
                           const ProfileUpdate& update);

// Whether the profile at `path` could be replaced: a temporary file is
// written beside it in the same way and removed at once. Fails with the
// system's reason.
Status ProbeProfileReplace(Platform& platform, const std::string& path);

}  // namespace quillmeter

#endif  // QUILLMETER_PROFILES_PROFILE_UPDATE_H_
