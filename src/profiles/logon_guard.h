// The logon guard: a logon SAP refused is remembered in the system profile,
// so that the same logon data are not sent again. SAP counts every refused
// logon against the RFC user and locks it after a few; a sensor that tried
// at every scan would lock it within minutes, for every tool that uses it.
//
//   # Alb Date=20261208 10:15:00 Logon=3f2a9c0e81b7d654 Name or password is incorrect
//
// The line holds while the profile's destination, client, user and stored
// password give the same fingerprint; changing any of them lifts it.
#ifndef QUILLMETER_PROFILES_LOGON_GUARD_H_
#define QUILLMETER_PROFILES_LOGON_GUARD_H_

#include <optional>
#include <string>
#include <string_view>

#include "rfc/connection_profile.h"

namespace quillmeter {

// Every line that begins so is the guard's.
inline constexpr std::string_view kLogonGuardTag = "# Alb ";

// The longest reason a guard line keeps: SAP's one line, whole.
inline constexpr size_t kMaxGuardReason = 200;

struct LogonGuard {
  std::string date_time;    // "YYYYMMDD HH:MM:SS", the sensor's local time
  std::string fingerprint;  // LogonFingerprint of the refused logon data
  std::string message;      // SAP's reason, one line
};

// A hash, in hex, of the destination, client, upper-cased user and stored
// password form: it tells whether the logon data changed, and never holds
// the plain password.
std::string LogonFingerprint(const ConnectionProfile& profile);

// The guard of the profile text `contents`: its first "# Alb " line, read
// as far as it goes (a damaged one holds for no logon data), or nullopt.
std::optional<LogonGuard> FindLogonGuard(std::string_view contents);

// True when `guard` was set for the logon data `profile` holds now.
bool GuardHolds(const std::optional<LogonGuard>& guard, const ConnectionProfile& profile);

// The guard as its profile line, without the line end.
std::string LogonGuardLine(const LogonGuard& guard);

// "Error 1045: Logon to <DEST> as <USER> refused on <date time> - <message>
// - not tried again until User or Password in Profile <name> change !".
std::string RefusedLogonMessage(const ConnectionProfile& profile, const LogonGuard& guard,
                                const std::string& profile_name);

}  // namespace quillmeter

#endif  // QUILLMETER_PROFILES_LOGON_GUARD_H_
