#include "profiles/logon_guard.h"

#include <algorithm>
#include <cstdint>

#include "base/status.h"
#include "base/text.h"

namespace quillmeter {
namespace {

constexpr std::string_view kDateKey = "Date=";
constexpr std::string_view kFingerprintKey = " Logon=";
constexpr size_t kDateTimeLength = 17;  // "YYYYMMDD HH:MM:SS"

// 64-bit FNV-1a: the fingerprint only has to change when the data do.
uint64_t Fnv1a(std::string_view bytes, uint64_t hash) {
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

}  // namespace

std::string LogonFingerprint(const ConnectionProfile& profile) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  const std::string user = UpperCase(profile.user);
  // A separator no profile value holds, so that no two sets of data run
  // together into the same bytes.
  for (std::string_view part :
       {std::string_view(profile.destination), std::string_view(profile.client),
        std::string_view(user), std::string_view(profile.stored_password)}) {
    hash = Fnv1a(part, hash);
    hash = Fnv1a(std::string_view("\n", 1), hash);
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) hex[static_cast<size_t>(i)] = kHex[hash & 0xf];
  return hex;
}

std::optional<LogonGuard> FindLogonGuard(std::string_view contents) {
  for (const std::string& line : SplitLines(contents)) {
    if (!StartsWith(line, kLogonGuardTag)) continue;
    LogonGuard guard;
    std::string_view rest = std::string_view(line).substr(kLogonGuardTag.size());
    if (!StartsWith(rest, kDateKey)) return guard;
    rest.remove_prefix(kDateKey.size());
    guard.date_time = std::string(rest.substr(0, kDateTimeLength));
    rest.remove_prefix(std::min(rest.size(), kDateTimeLength));
    if (StartsWith(rest, kFingerprintKey)) {
      rest.remove_prefix(kFingerprintKey.size());
      size_t end = std::min(rest.find(' '), rest.size());
      guard.fingerprint = std::string(rest.substr(0, end));
      rest.remove_prefix(std::min(rest.size(), end + 1));
      guard.message = std::string(rest);
    }
    return guard;
  }
  return std::nullopt;
}

bool GuardHolds(const std::optional<LogonGuard>& guard, const ConnectionProfile& profile) {
  return guard && !guard->fingerprint.empty() && guard->fingerprint == LogonFingerprint(profile);
}

std::string LogonGuardLine(const LogonGuard& guard) {
  return std::string(kLogonGuardTag) + std::string(kDateKey) + guard.date_time +
         std::string(kFingerprintKey) + guard.fingerprint + " " +
         OneLine(guard.message, kMaxGuardReason);
}

std::string RefusedLogonMessage(const ConnectionProfile& profile, const LogonGuard& guard,
                                const std::string& profile_name) {
  return "Error 1045: Logon to " + profile.destination + " as " + UpperCase(profile.user) +
         " refused on " + guard.date_time + " - " + OneLine(guard.message, kMaxGuardReason) +
         " - not tried again until User or Password in Profile " + profile_name + " change !";
}

}  // namespace quillmeter
