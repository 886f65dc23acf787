#include "profiles/system_profile.h"

#include <array>

#include "base/text.h"
#include "profiles/password.h"

namespace quillmeter {
namespace {

// Keys fill columns 0-11 exactly; the value starts at column 25.
constexpr size_t kKeyWidth = 12;
constexpr size_t kValueColumn = 25;
constexpr size_t kMaxValueWidth = 60;

struct FieldRule {
  const char* key;
  std::string ConnectionProfile::*field;
  size_t capacity;
  size_t minimum;
};

constexpr FieldRule kFieldRules[] = {
    {"Extcompany.:", &ConnectionProfile::external_company, 63, 2},
    {"Destination:", &ConnectionProfile::destination, 11, 3},
    {"Client.....:", &ConnectionProfile::client, 11, 3},
    {"User.......:", &ConnectionProfile::user, 47, 2},
    {"Password...:", &ConnectionProfile::password, 31, 2},
    {"Language...:", &ConnectionProfile::language, 31, 1},
    {"Mode.......:", &ConnectionProfile::mode, 31, 3},
    {"Hostname...:", &ConnectionProfile::host_name, 47, 2},
    {"Sysnr......:", &ConnectionProfile::system_number, 31, 2},
    {"Gwhost.....:", &ConnectionProfile::gateway_host, 61, 2},
    {"Gwservice..:", &ConnectionProfile::gateway_service, 31, 2},
};

constexpr size_t kRules = std::size(kFieldRules);

enum class ProfileCheck { kComplete, kUserMissing, kPasswordMissing, kInvalidParameter };

// What the read saw of each key: whether a line had it, and the value as
// written on the last such line.
struct KeysRead {
  std::array<bool, kRules> seen{};
  std::array<std::string, kRules> written;
};

// Stores the value of one line, if its key is one of ours, and notes it in
// *keys. Returns the fault of a stored password that cannot be unscrambled,
// and for an invalid one *invalid_because; the password field then keeps
// what it held.
PasswordFault ParseLine(const std::string& line, ConnectionProfile& profile, KeysRead* keys,
                        std::string* invalid_because) {
  std::string_view key = std::string_view(line).substr(0, kKeyWidth);
  for (size_t r = 0; r < kRules; ++r) {
    const FieldRule& rule = kFieldRules[r];
    if (key != rule.key) continue;
    // Taken unchanged: trailing blanks belong to the value.
    std::string value = line.size() > kValueColumn ? line.substr(kValueColumn) : std::string();
    keys->seen[r] = true;
    keys->written[r] = value;
    std::string& field = profile.*rule.field;
    if (rule.field == &ConnectionProfile::password) profile.stored_password = value;
    if (rule.field == &ConnectionProfile::user) {
      field = UpperCase(value);
    } else if (rule.field == &ConnectionProfile::host_name) {
      field = value;
      profile.display_host = value;
    } else if (rule.field == &ConnectionProfile::password && !value.empty()) {
      UnscrambledPassword unscrambled = UnscramblePassword(value);
      *invalid_because = unscrambled.invalid_because;
      if (unscrambled.fault != PasswordFault::kNone) return unscrambled.fault;
      field = unscrambled.password;
    } else {
      field = value;
    }
    break;
  }
  return PasswordFault::kNone;
}

std::string Characters(size_t n) {
  return std::to_string(n) + (n == 1 ? " character" : " characters");
}

// Which check fails first; for an invalid parameter *cause names the first
// failing key, as written in the profile, and why.
ProfileCheck CheckProfile(const ConnectionProfile& profile, const KeysRead& keys,
                          std::string* cause) {
  if (profile.user.empty()) return ProfileCheck::kUserMissing;
  if (profile.password.empty()) return ProfileCheck::kPasswordMissing;
  for (size_t r = 0; r < kRules; ++r) {
    const FieldRule& rule = kFieldRules[r];
    const std::string& field = profile.*rule.field;
    // A value too long for its field is refused, never cut: a cut
    // destination or client would quietly address another system.
    size_t limit = rule.capacity < kMaxValueWidth ? rule.capacity : kMaxValueWidth;
    if (field.size() >= rule.minimum && field.size() <= limit) continue;
    if (!keys.seen[r]) {
      *cause = std::string(rule.key) + " missing";
    } else if (field.size() < rule.minimum) {
      *cause = std::string(rule.key) + " shorter than " + Characters(rule.minimum);
      // What was read shows a value written a column early or late; the
      // stored password form is never shown.
      if (rule.field != &ConnectionProfile::password)
        *cause += " (\"" + keys.written[r] + "\" read from column " + std::to_string(kValueColumn) +
                  "; values start in column " + std::to_string(kValueColumn) + ")";
    } else {
      *cause = std::string(rule.key) + " longer than " + Characters(limit);
    }
    return ProfileCheck::kInvalidParameter;
  }
  return ProfileCheck::kComplete;
}

}  // namespace

Status ReadSystemProfile(std::string_view contents, const std::string& name,
                         ConnectionProfile* profile) {
  *profile = ConnectionProfile();
  PasswordFault first_fault = PasswordFault::kNone;
  std::string invalid_because;
  KeysRead keys;
  for (const std::string& line : SplitLines(contents)) {
    std::string because;
    PasswordFault fault = ParseLine(line, *profile, &keys, &because);
    if (first_fault == PasswordFault::kNone) {
      first_fault = fault;
      invalid_because = because;
    }
  }
  // A faulty stored password is reported before anything missing, as the
  // line that holds it is met.
  switch (first_fault) {
    case PasswordFault::kNone: break;
    case PasswordFault::kInvalid:
      return Status::Error("Error 1004: Invalid Password in Profile " + name + " found...",
                           invalid_because);
    case PasswordFault::kWrong:
      return Status::Error("Error 1005: Wrong Password in Profile " + name + " found...");
  }
  std::string cause;
  switch (CheckProfile(*profile, keys, &cause)) {
    case ProfileCheck::kComplete: return Status::Ok();
    case ProfileCheck::kUserMissing:
      return Status::Error("Error 1006: Username in Profile " + name + " is missing...");
    case ProfileCheck::kPasswordMissing:
      return Status::Error("Error 1007: Password in Profile " + name + " is missing...");
    case ProfileCheck::kInvalidParameter:
      return Status::Error("Error 1003: Invalid Parameter(s) at " + name + " found...", cause);
  }
  return Status::Ok();
}

SystemProfileRead ReadProfileForSystem(Platform& platform, const std::string& path,
                                       ConnectionProfile* profile, std::string* contents,
                                       Status* fault) {
  contents->clear();
  *profile = ConnectionProfile();
  if (!platform.ReadFile(path, contents).ok()) {
    contents->clear();
    return SystemProfileRead::kMissing;
  }
  // Nothing of the previous system carries over into this one.
  Status read = ReadSystemProfile(*contents, path, profile);
  if (fault != nullptr) *fault = read;
  return read.ok() ? SystemProfileRead::kValid : SystemProfileRead::kInvalid;
}

}  // namespace quillmeter
