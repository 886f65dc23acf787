// Logon data from PRTG's credentials: with the sensor setting Environment
// "Set placeholders as environment values" PRTG hands the device's
// credentials to the process it starts, and only to it, as environment
// variables. A profile line "Credentials:" names which pair it takes.
#ifndef QUILLMETER_PROFILES_PRTG_CREDENTIALS_H_
#define QUILLMETER_PROFILES_PRTG_CREDENTIALS_H_

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace quillmeter {

// The variables of one kind of PRTG credentials.
struct CredentialVariables {
  const char* user;
  const char* password;
};

// The variables a "Credentials:" value names, in any letter case:
// prtg-windows or prtg-linux; nullopt for any other value.
std::optional<CredentialVariables> CredentialVariablesOf(std::string_view value);

// The values of every variable a profile may name, read once per run.
class PrtgCredentials {
 public:
  // None set: what a run without PRTG's placeholders sees.
  PrtgCredentials() = default;

  // Reads them from the process environment.
  static PrtgCredentials Read(Platform& platform);

  // The value of `variable`, "" when it is not set.
  std::string Value(std::string_view variable) const;

  void Set(const std::string& variable, const std::string& value) { values_[variable] = value; }

 private:
  std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace quillmeter

#endif  // QUILLMETER_PROFILES_PRTG_CREDENTIALS_H_
