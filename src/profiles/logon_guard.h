// The logon guard: a logon SAP refused is remembered in the system profile,
// so that the same logon data are not sent again. SAP counts every refused
// logon against the RFC user and locks it after a few; a sensor that tried
// at every scan would lock it within minutes, for every tool that uses it.
//
//   # Alb Date=20261208 10:15:00 Logon=3f2a9c0e81b7d654 Name or password is incorrect
//
// The line holds while the profile's destination, client, user and stored
// password give the same fingerprint; changing any of them lifts it. Logon
// data from PRTG's credentials, whose password no file may hold in any
// form, get a salted, slow fingerprint instead:
//
//   ... Logon=pbkdf2-sha256:20000:<salt, 32 hex digits>:<hash, 64 hex digits> ...
#ifndef QUILLMETER_PROFILES_LOGON_GUARD_H_
#define QUILLMETER_PROFILES_LOGON_GUARD_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/status.h"
#include "platform/platform.h"
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

// PBKDF2-HMAC-SHA-256 rounds of a new salted fingerprint. A guard line
// whose count lies outside the accepted range holds for nothing, so that
// an edited line can neither weaken the hash nor stall the scan.
inline constexpr std::uint32_t kSaltedFingerprintRounds = 20000;
inline constexpr std::uint32_t kMinSaltedFingerprintRounds = 10000;
inline constexpr std::uint32_t kMaxSaltedFingerprintRounds = 200000;
inline constexpr size_t kFingerprintSaltSize = 16;

// "pbkdf2-sha256:<rounds>:<salt>:<hash>" in hex, the hash over the
// destination, client, upper-cased user and plain password with `salt`.
std::string SaltedLogonFingerprint(const ConnectionProfile& profile, std::string_view salt,
                                   std::uint32_t rounds = kSaltedFingerprintRounds);

// The fingerprint of a guard set now: LogonFingerprint for a stored
// password, SaltedLogonFingerprint with a fresh salt from the system for a
// password from PRTG.
std::string NewLogonFingerprint(Platform& platform, const ConnectionProfile& profile);

// The guard that remembers the logon `refusal` of `profile` from now on,
// stamped with the local time.
LogonGuard NewLogonGuard(Platform& platform, const ConnectionProfile& profile,
                         const Status& refusal);

// The guard of the profile text `contents`: its first "# Alb " line, read
// as far as it goes (a damaged one holds for no logon data), or nullopt.
std::optional<LogonGuard> FindLogonGuard(std::string_view contents);

// True when `guard` was set for the logon data `profile` holds now, by
// the kind of fingerprint those data take.
bool GuardHolds(const std::optional<LogonGuard>& guard, const ConnectionProfile& profile);

// The guard as its profile line, without the line end.
std::string LogonGuardLine(const LogonGuard& guard);

// "Error 1045: Logon to <DEST> as <USER> refused on <date time> - <message>
// - not tried again until User or Password in Profile <name> change !".
// The cause that follows 1045 for logon data from PRTG, which are changed
// in PRTG and not in the profile; "" for a stored password.
std::string RefusedLogonCause(const ConnectionProfile& profile);

std::string RefusedLogonMessage(const ConnectionProfile& profile, const LogonGuard& guard,
                                const std::string& profile_name);

}  // namespace quillmeter

#endif  // QUILLMETER_PROFILES_LOGON_GUARD_H_
