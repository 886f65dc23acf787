#include "profiles/logon_guard.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "base/status.h"
#include "base/text.h"
#include "platform/sha256.h"
#include "profiles/pbkdf2.h"

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

constexpr std::string_view kSaltedKind = "pbkdf2-sha256";
constexpr char kHexDigits[] = "0123456789abcdef";

// The bytes of lower-case hex `text`; nullopt for anything else.
std::optional<std::string> FromHex(std::string_view text) {
  if (text.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  for (size_t i = 0; i < text.size(); i += 2) {
    const char* high = std::char_traits<char>::find(kHexDigits, 16, text[i]);
    const char* low = std::char_traits<char>::find(kHexDigits, 16, text[i + 1]);
    if (high == nullptr || low == nullptr) return std::nullopt;
    bytes += static_cast<char>((high - kHexDigits) * 16 + (low - kHexDigits));
  }
  return bytes;
}

// The parts of a salted fingerprint, or false when `text` is none whose
// rounds lie in the accepted range.
bool ParseSalted(std::string_view text, std::uint32_t* rounds, std::string* salt) {
  std::string_view parts[4];
  for (size_t i = 0; i < 4; ++i) {
    size_t colon = i < 3 ? text.find(':') : text.size();
    if (colon == std::string_view::npos) return false;
    parts[i] = text.substr(0, colon);
    text.remove_prefix(i < 3 ? colon + 1 : colon);
  }
  if (parts[0] != kSaltedKind || parts[1].empty() || parts[1].size() > 9) return false;
  std::uint32_t n = 0;
  for (char c : parts[1]) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (n < kMinSaltedFingerprintRounds || n > kMaxSaltedFingerprintRounds) return false;
  std::optional<std::string> bytes = FromHex(parts[2]);
  if (!bytes || bytes->size() != kFingerprintSaltSize || parts[3].size() != 64) return false;
  *rounds = n;
  *salt = std::move(*bytes);
  return true;
}

}  // namespace

std::string SaltedLogonFingerprint(const ConnectionProfile& profile, std::string_view salt,
                                   std::uint32_t rounds) {
  // The same separator as the fast fingerprint: no profile value holds it.
  const std::string data = profile.destination + "\n" + profile.client + "\n" +
                           UpperCase(profile.user) + "\n" + profile.password;
  return std::string(kSaltedKind) + ":" + std::to_string(rounds) + ":" + LowerHex(salt) + ":" +
         LowerHex(Pbkdf2HmacSha256(data, salt, rounds, 32));
}

std::string NewLogonFingerprint(Platform& platform, const ConnectionProfile& profile) {
  if (profile.password_variable.empty()) return LogonFingerprint(profile);
  std::string salt;
  if (!platform.RandomBytes(kFingerprintSaltSize, &salt).ok()) {
    // Without the system's random numbers a salt that differs from scan to
    // scan and system to system still defeats a table made in advance.
    ClockTime now = platform.Now();
    Sha256Digest digest =
        Sha256(profile.destination + "\n" + profile.client + "\n" + std::to_string(now.year) + "-" +
               std::to_string(now.month) + "-" + std::to_string(now.day) + " " +
               std::to_string(now.hour) + ":" + std::to_string(now.minute) + ":" +
               std::to_string(now.second) + platform.ExecutablePath());
    salt.assign(reinterpret_cast<const char*>(digest.data()), kFingerprintSaltSize);
  }
  return SaltedLogonFingerprint(profile, salt);
}

LogonGuard NewLogonGuard(Platform& platform, const ConnectionProfile& profile,
                         const Status& refusal) {
  ClockTime now = platform.Now();
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d %02d:%02d:%02d", now.year % 10000, now.month % 100,
                now.day % 100, now.hour % 100, now.minute % 100, now.second % 100);
  return LogonGuard{text, NewLogonFingerprint(platform, profile),
                    OneLine(refusal.cause(), kMaxGuardReason)};
}

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
  if (!guard || guard->fingerprint.empty()) return false;
  if (profile.password_variable.empty()) return guard->fingerprint == LogonFingerprint(profile);
  std::uint32_t rounds = 0;
  std::string salt;
  if (!ParseSalted(guard->fingerprint, &rounds, &salt)) return false;
  return guard->fingerprint == SaltedLogonFingerprint(profile, salt, rounds);
}

std::string LogonGuardLine(const LogonGuard& guard) {
  return std::string(kLogonGuardTag) + std::string(kDateKey) + guard.date_time +
         std::string(kFingerprintKey) + guard.fingerprint + " " +
         OneLine(guard.message, kMaxGuardReason);
}

std::string RefusedLogonCause(const ConnectionProfile& profile) {
  if (profile.password_variable.empty()) return std::string();
  return "User and Password come from PRTG: " + profile.user_variable + ", " +
         profile.password_variable;
}

std::string RefusedLogonMessage(const ConnectionProfile& profile, const LogonGuard& guard,
                                const std::string& profile_name) {
  return "Error 1045: Logon to " + profile.destination + " as " + UpperCase(profile.user) +
         " refused on " + guard.date_time + " - " + OneLine(guard.message, kMaxGuardReason) +
         " - not tried again until User or Password in Profile " + profile_name + " change !";
}

}  // namespace quillmeter
