#include "profiles/system_profile.h"

#include "base/text.h"
#include "output/document.h"
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

enum class ProfileCheck { kComplete, kUserMissing, kPasswordMissing, kInvalidParameter };

// Stores the value of one line, if its key is one of ours. Returns the
// fault of a stored password that cannot be unscrambled; the password
// field then keeps what it held.
PasswordFault ParseLine(const std::string& line, ConnectionProfile& profile) {
  std::string_view key = std::string_view(line).substr(0, kKeyWidth);
  for (const FieldRule& rule : kFieldRules) {
    if (key != rule.key) continue;
    // Taken unchanged: trailing blanks belong to the value.
    std::string value = line.size() > kValueColumn ? line.substr(kValueColumn) : std::string();
    std::string& field = profile.*rule.field;
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

ProfileCheck CheckProfile(const ConnectionProfile& profile) {
  if (profile.user.empty()) return ProfileCheck::kUserMissing;
  if (profile.password.empty()) return ProfileCheck::kPasswordMissing;
  for (const FieldRule& rule : kFieldRules) {
    const std::string& field = profile.*rule.field;
    // A value too long for its field is refused, never cut: a cut
    // destination or client would quietly address another system.
    size_t limit = rule.capacity < kMaxValueWidth ? rule.capacity : kMaxValueWidth;
    if (field.size() < rule.minimum || field.size() > limit) return ProfileCheck::kInvalidParameter;
  }
  return ProfileCheck::kComplete;
}

}  // namespace

bool ReadSystemProfile(RunState& run) {
  run.profile = ConnectionProfile();
  run.profile_lines = SplitLines(run.profile_contents);
  const std::string& name = run.profile_name;
  for (const std::string& line : run.profile_lines) {
    switch (ParseLine(line, run.profile)) {
      case PasswordFault::kNone: break;
      case PasswordFault::kInvalid:
        SetErrorResult(run, "Error 1004: Invalid Password in Profile " + name + " found...");
        return false;
      case PasswordFault::kWrong:
        SetErrorResult(run, "Error 1005: Wrong Password in Profile " + name + " found...");
        return false;
    }
  }
  switch (CheckProfile(run.profile)) {
    case ProfileCheck::kComplete: return true;
    case ProfileCheck::kUserMissing:
      SetErrorResult(run, "Error 1006: Username in Profile " + name + " is missing...");
      return false;
    case ProfileCheck::kPasswordMissing:
      SetErrorResult(run, "Error 1007: Password in Profile " + name + " is missing...");
      return false;
    case ProfileCheck::kInvalidParameter:
      SetErrorResult(run, "Error 1003: Invalid Parameter(s) at " + name + " found...");
      return false;
  }
  return false;
}

SystemProfileRead ReadProfileForSystem(RunState& run, const std::string& path) {
  // Nothing of the previous system may carry over into this one.
  run.profile = ConnectionProfile();
  run.profile_path = path;
  run.profile_contents.clear();
  run.profile_lines.clear();
  if (!run.platform.ReadFile(path, &run.profile_contents).ok()) {
    run.profile_contents.clear();
    return SystemProfileRead::kMissing;
  }
  run.profile_lines = SplitLines(run.profile_contents);
  bool password_fault = false;
  for (const std::string& line : run.profile_lines)
    if (ParseLine(line, run.profile) != PasswordFault::kNone) password_fault = true;
  if (password_fault || CheckProfile(run.profile) != ProfileCheck::kComplete)
    return SystemProfileRead::kInvalid;
  return SystemProfileRead::kValid;
}

}  // namespace quillmeter
