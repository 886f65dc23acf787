#include "profiles/prtg_credentials.h"

#include "base/text.h"

namespace quillmeter {
namespace {

constexpr std::pair<std::string_view, CredentialVariables> kKinds[] = {
    {"PRTG-WINDOWS", {"prtg_windowsuser", "prtg_windowspassword"}},
    {"PRTG-LINUX", {"prtg_linuxuser", "prtg_linuxpassword"}},
};

}  // namespace

std::optional<CredentialVariables> CredentialVariablesOf(std::string_view value) {
  const std::string upper = UpperCase(value);
  for (const auto& [name, variables] : kKinds)
    if (upper == name) return variables;
  return std::nullopt;
}

PrtgCredentials PrtgCredentials::Read(Platform& platform) {
  PrtgCredentials credentials;
  for (const auto& [name, variables] : kKinds) {
    for (const char* variable : {variables.user, variables.password}) {
      std::string value = platform.EnvironmentValue(variable);
      if (!value.empty()) credentials.Set(variable, value);
    }
  }
  return credentials;
}

std::string PrtgCredentials::Value(std::string_view variable) const {
  auto it = values_.find(variable);
  return it == values_.end() ? std::string() : it->second;
}

}  // namespace quillmeter
