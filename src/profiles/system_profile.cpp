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

// Stores the value of one line, if its key is one of ours, and notes the key
// in *seen. Returns the fault of a stored password that cannot be
// unscrambled; the password field then keeps what it held.
PasswordFault ParseLine(const std::string& line, ConnectionProfile& profile,
                        std::array<bool, kRules>* seen) {
  std::string_view key = std::string_view(line).substr(0, kKeyWidth);
  for (size_t r = 0; r < kRules; ++r) {
    const FieldRule& rule = kFieldRules[r];
    if (key != rule.key) continue;
    (*seen)[r] = true;
    // Taken unchanged: trailing blanks belong to the value.
    std::string value = line.size() > kValueColumn ? line.substr(kValueColumn) : std::string();
    std::string& field = profile.*rule.field;
    if (rule.field == &ConnectionProfile::password) profile.stored_password = value;
    if (rule.field == &ConnectionProfile::user) {
      field = UpperCase(value);
    } else if (rule.field == &ConnectionProfile::host_name) {
      field = value;
      profile.display_host = value;
    } else if (rule.field == &ConnectionProfile::password && !value.empty()) {
      UnscrambledPassword unscrambled = UnscramblePassword(value);
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
ProfileCheck CheckProfile(const ConnectionProfile& profile, const std::array<bool, kRules>& seen,
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
    if (!seen[r])
      *cause = std::string(rule.key) + " missing";
    else if (field.size() < rule.minimum)
      *cause = std::string(rule.key) + " shorter than " + Characters(rule.minimum);
    else
      *cause = std::string(rule.key) + " longer than " + Characters(limit);
    return ProfileCheck::kInvalidParameter;
  }
  return ProfileCheck::kComplete;
}

// The optional choice of RFC library: the last "RfcLibrary.:" line. Only
// the three names are taken; a typing error never quietly picks a library.
Status ReadLibraryChoice(std::string_view contents, const std::string& name,
                         ConnectionProfile* profile) {
  constexpr std::string_view kKey = "RfcLibrary.:";
  static_assert(kKey.size() == kKeyWidth);
  std::string value;
  for (const std::string& line : SplitLines(contents))
    if (std::string_view(line).substr(0, kKeyWidth) == kKey)
      value = line.size() > kValueColumn ? line.substr(kValueColumn) : std::string();
  if (ParseRfcLibraryChoice(value, &profile->library)) return Status::Ok();
  return Status::Error("Error 1003: Invalid Parameter(s) at " + name + " found...",
                       "RfcLibrary.: is neither classic nor netweaver");
}

}  // namespace

Status ReadSystemProfile(std::string_view contents, const std::string& name,
                         ConnectionProfile* profile) {
  *profile = ConnectionProfile();
  PasswordFault first_fault = PasswordFault::kNone;
  std::array<bool, kRules> seen{};
  for (const std::string& line : SplitLines(contents)) {
    PasswordFault fault = ParseLine(line, *profile, &seen);
    if (first_fault == PasswordFault::kNone) first_fault = fault;
  }
  // A faulty stored password is reported before anything missing, as the
  // line that holds it is met.
  switch (first_fault) {
    case PasswordFault::kNone: break;
    case PasswordFault::kInvalid:
      return Status::Error("Error 1004: Invalid Password in Profile " + name + " found...");
    case PasswordFault::kWrong:
      return Status::Error("Error 1005: Wrong Password in Profile " + name + " found...");
  }
  std::string cause;
  switch (CheckProfile(*profile, seen, &cause)) {
    case ProfileCheck::kComplete: return ReadLibraryChoice(contents, name, profile);
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
                                       ConnectionProfile* profile, std::string* contents) {
  contents->clear();
  *profile = ConnectionProfile();
  if (!platform.ReadFile(path, contents).ok()) {
    contents->clear();
    return SystemProfileRead::kMissing;
  }
  // Nothing of the previous system carries over into this one.
  return ReadSystemProfile(*contents, path, profile).ok() ? SystemProfileRead::kValid
                                                          : SystemProfileRead::kInvalid;
}

}  // namespace quillmeter
