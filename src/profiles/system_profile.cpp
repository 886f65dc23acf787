#include "profiles/system_profile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <utility>

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
  // How a cause names each key: the key, or the variable it came from.
  std::array<std::string, kRules> names;
  KeysRead() {
    for (size_t r = 0; r < kRules; ++r) names[r] = kFieldRules[r].key;
  }
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

// "Error 1003" for the profile `name`, its cause the key and what is wrong.
Status InvalidParameter(const std::string& name, std::string cause) {
  return Status::Error("Error 1003: Invalid Parameter(s) at " + name + " found...",
                       std::move(cause));
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
      *cause = keys.names[r] + " missing";
    } else if (field.size() < rule.minimum) {
      *cause = keys.names[r] + " shorter than " + Characters(rule.minimum);
      // What was read shows a value written a column early or late; the
      // stored password form, and a value from PRTG, are never shown.
      if (rule.field != &ConnectionProfile::password && keys.names[r] == rule.key)
        *cause += " (\"" + keys.written[r] + "\" read from column " + std::to_string(kValueColumn) +
                  "; values start in column " + std::to_string(kValueColumn) + ")";
    } else {
      *cause = keys.names[r] + " longer than " + Characters(limit);
    }
    return ProfileCheck::kInvalidParameter;
  }
  return ProfileCheck::kComplete;
}

constexpr std::string_view kLibraryKey = "RfcLibrary.:";
static_assert(kLibraryKey.size() == kKeyWidth);

// The optional choice of RFC library: the last "RfcLibrary.:" line. Only
// the three names are taken; a typing error never quietly picks a library.
Status ReadLibraryChoice(std::string_view contents, const std::string& name,
                         ConnectionProfile* profile) {
  std::string value;
  for (const std::string& line : SplitLines(contents))
    if (std::string_view(line).substr(0, kKeyWidth) == kLibraryKey)
      value = line.size() > kValueColumn ? line.substr(kValueColumn) : std::string();
  if (ParseRfcLibraryChoice(value, &profile->library)) return Status::Ok();
  return InvalidParameter(name, "RfcLibrary.: is neither classic nor netweaver");
}

constexpr std::string_view kCredentialsKey = "Credentials:";

size_t RuleOf(std::string ConnectionProfile::*field) {
  for (size_t r = 0; r < kRules; ++r)
    if (kFieldRules[r].field == field) return r;
  return kRules;
}

// A character a profile line would not hold, or that is none of the
// printable ASCII a stored password is made of.
bool IsPrintableAscii(std::string_view text) {
  for (char c : text)
    if (c < ' ' || c > '~') return false;
  return true;
}

// Takes the user and password from PRTG's variables `v` into *profile, in
// place of the profile's own lines. *missing names a variable not set.
Status TakePrtgCredentials(const CredentialVariables& v, const PrtgCredentials& prtg,
                           const std::string& name, ConnectionProfile* profile, KeysRead* keys,
                           std::string* missing) {
  for (const char* variable : {v.user, v.password}) {
    if (!prtg.Value(variable).empty()) continue;
    if (missing != nullptr) *missing = variable;
    return Status::Error(CredentialsMissingMessage(name, variable));
  }
  const std::string user = prtg.Value(v.user), password = prtg.Value(v.password);
  for (const auto& [variable, value] : {std::pair{v.user, &user}, std::pair{v.password, &password}})
    if (!IsPrintableAscii(*value))
      return InvalidParameter(
          name,
          std::string(variable) + ": holds a character outside printable ASCII (codes 32 to 126)");
  profile->user = UpperCase(user);
  profile->password = password;
  profile->stored_password.clear();
  profile->user_variable = v.user;
  profile->password_variable = v.password;
  const size_t user_rule = RuleOf(&ConnectionProfile::user);
  const size_t password_rule = RuleOf(&ConnectionProfile::password);
  keys->seen[user_rule] = keys->seen[password_rule] = true;
  keys->names[user_rule] = std::string(v.user) + ":";
  keys->names[password_rule] = std::string(v.password) + ":";
  return Status::Ok();
}

Status ReadProfile(std::string_view contents, const std::string& name, const PrtgCredentials& prtg,
                   ConnectionProfile* profile, std::string* missing_variable) {
  *profile = ConnectionProfile();
  PasswordFault first_fault = PasswordFault::kNone;
  std::string invalid_because;
  KeysRead keys;
  std::string credentials;
  for (const std::string& line : SplitLines(contents)) {
    if (std::string_view(line).substr(0, kKeyWidth) == kCredentialsKey) {
      credentials = line.size() > kValueColumn ? line.substr(kValueColumn) : std::string();
      continue;
    }
    std::string because;
    PasswordFault fault = ParseLine(line, *profile, &keys, &because);
    if (first_fault == PasswordFault::kNone) {
      first_fault = fault;
      invalid_because = because;
    }
  }
  if (!credentials.empty()) {
    std::optional<CredentialVariables> variables = CredentialVariablesOf(credentials);
    if (!variables)
      return InvalidParameter(name, "Credentials: is neither prtg-windows nor prtg-linux");
    // The profile's own User and Password lines are not used, so nothing
    // wrong in them is either.
    first_fault = PasswordFault::kNone;
    if (Status taken =
            TakePrtgCredentials(*variables, prtg, name, profile, &keys, missing_variable);
        !taken.ok())
      return taken;
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
    case ProfileCheck::kComplete: return ReadLibraryChoice(contents, name, profile);
    case ProfileCheck::kUserMissing:
      return Status::Error("Error 1006: Username in Profile " + name + " is missing...");
    case ProfileCheck::kPasswordMissing:
      return Status::Error("Error 1007: Password in Profile " + name + " is missing...");
    case ProfileCheck::kInvalidParameter: return InvalidParameter(name, cause);
  }
  return Status::Ok();
}

}  // namespace

Status ReadSystemProfile(std::string_view contents, const std::string& name,
                         ConnectionProfile* profile, const PrtgCredentials& prtg) {
  return ReadProfile(contents, name, prtg, profile, nullptr);
}

std::string CredentialsMissingMessage(const std::string& name, const std::string& variable) {
  return "Error 1047: Credentials of " + name + " come from PRTG, but " + variable +
         " is not set - in the sensor's settings set Environment to \"Set placeholders as "
         "environment values\" and enter the device's credentials !";
}

std::vector<std::string> UnknownKeys(std::string_view contents) {
  std::vector<std::string> unknown;
  for (const std::string& line : SplitLines(contents)) {
    if (line.size() < kKeyWidth || line[kKeyWidth - 1] != ':') continue;
    const std::string key = line.substr(0, kKeyWidth);
    size_t letters = 0, dots = 0;
    while (letters < kKeyWidth - 1 && std::isalpha(static_cast<unsigned char>(key[letters])))
      ++letters;
    while (letters + dots < kKeyWidth - 1 && key[letters + dots] == '.') ++dots;
    if (letters < 2 || letters + dots != kKeyWidth - 1) continue;
    bool known = key == kCredentialsKey || key == kLibraryKey;
    for (const FieldRule& rule : kFieldRules) known = known || key == rule.key;
    if (!known && std::find(unknown.begin(), unknown.end(), key) == unknown.end())
      unknown.push_back(key);
  }
  return unknown;
}

SystemProfileRead ReadProfileForSystem(Platform& platform, const std::string& path,
                                       ConnectionProfile* profile, std::string* contents,
                                       const PrtgCredentials& prtg, Status* fault,
                                       std::string* missing_variable) {
  contents->clear();
  *profile = ConnectionProfile();
  if (!platform.ReadFile(path, contents).ok()) {
    contents->clear();
    return SystemProfileRead::kMissing;
  }
  // Nothing of the previous system carries over into this one.
  std::string missing;
  Status read = ReadProfile(*contents, path, prtg, profile, &missing);
  if (fault != nullptr) *fault = read;
  if (read.ok()) return SystemProfileRead::kValid;
  if (missing.empty()) return SystemProfileRead::kInvalid;
  if (missing_variable != nullptr) *missing_variable = missing;
  return SystemProfileRead::kNoCredentials;
}

}  // namespace quillmeter
