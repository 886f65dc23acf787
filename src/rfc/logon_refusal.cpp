#include "rfc/logon_refusal.h"

#include "base/text.h"

namespace quillmeter {
namespace {

// Keys of the last-error record that name a refused logon, whole.
constexpr std::string_view kRefusalKeys[] = {
    "RFC_ERROR_LOGON_FAILURE",
    "RFC_LOGON_FAILURE",
    "LOGON_FAILURE",
};

// The beginnings of SAP's logon refusals. The connect-string logon asks for
// German (LANG=D), the others for the profile's language.
constexpr std::string_view kRefusalTexts[] = {
    "Name or password is incorrect",
    "User is locked",
    "User locked",
    "Password logon no longer possible",
    "Name oder Kennwort ist nicht korrekt",
    "Benutzer ist gesperrt",
    "Benutzer gesperrt",
    "Kennwortanmeldung nicht mehr m",  // möglich, in whatever code page
};

}  // namespace

bool IsLogonRefusal(std::string_view key, std::string_view message) {
  const std::string upper_key = UpperCase(WithoutBlanks(key));
  for (std::string_view known : kRefusalKeys)
    if (upper_key == known) return true;
  const std::string upper_message = UpperCase(WithoutBlanks(message));
  for (std::string_view text : kRefusalTexts)
    if (StartsWith(upper_message, UpperCase(text))) return true;
  return false;
}

}  // namespace quillmeter
