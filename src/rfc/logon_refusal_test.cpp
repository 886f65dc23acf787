#include "rfc/logon_refusal.h"

#include <gtest/gtest.h>

namespace quillmeter {
namespace {

TEST(LogonRefusalTest, SapsRefusalsInEitherLanguageAndAnyCase) {
  const char* refusals[] = {
      "Name or password is incorrect (repeat logon)",
      "  USER IS LOCKED. Please notify the person responsible",
      "Password logon no longer possible - too many failed attempts",
      "Name oder Kennwort ist nicht korrekt (Anmeldung wiederholen)",
      "benutzer ist gesperrt. Bitte beim Systemadministrator melden",
      "Kennwortanmeldung nicht mehr m\xf6glich - zu viele Fehlversuche",
  };
  for (const char* message : refusals) EXPECT_TRUE(IsLogonRefusal("", message)) << message;
  EXPECT_TRUE(IsLogonRefusal(" rfc_error_logon_failure ", "anything"));
}

TEST(LogonRefusalTest, OtherFailuresAreTriedAgain) {
  const struct {
    const char* key;
    const char* message;
  } others[] = {
      {"RFC_ERROR_COMMUNICATION", "partner 'sapprd01:sapgw00' not reached"},
      {"COMMUNICATION_FAILURE", "Connect to simulated system PRD failed: partner not reached"},
      {"", ""},
      {"RFC_ERROR_SYSTEM_FAILURE", "Client 999 is not available in this system"},
      // Only at the start: a text that merely mentions a refusal is none.
      {"", "Timeout while waiting: Name or password is incorrect"},
      {"LOGON_FAILURE_X", "Name or"},
  };
  for (const auto& other : others)
    EXPECT_FALSE(IsLogonRefusal(other.key, other.message)) << other.key << other.message;
}

}  // namespace
}  // namespace quillmeter
