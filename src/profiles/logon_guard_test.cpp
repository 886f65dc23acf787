#include "profiles/logon_guard.h"

#include <gtest/gtest.h>

namespace quillmeter {
namespace {

ConnectionProfile Logon() {
  ConnectionProfile p;
  p.destination = "PRD";
  p.client = "100";
  p.user = "MONITOR";
  p.password = "Secret12";
  p.stored_password = "K7Q2M9XA4B";
  p.language = "E";
  p.host_name = "sapprd01";
  return p;
}

TEST(LogonGuardTest, TheFingerprintChangesWithTheLogonDataAlone) {
  const std::string base = LogonFingerprint(Logon());
  EXPECT_EQ(base.size(), 16u);
  EXPECT_EQ(base.find_first_not_of("0123456789abcdef"), std::string::npos) << base;
  std::vector<void (*)(ConnectionProfile&)> changes = {
      [](ConnectionProfile& p) { p.destination = "QAS"; },
      [](ConnectionProfile& p) { p.client = "200"; },
      [](ConnectionProfile& p) { p.user = "MONITOR2"; },
      [](ConnectionProfile& p) { p.stored_password = "K7Q2M9XA4C"; },
      // Fields that run together must not give the same bytes.
      [](ConnectionProfile& p) {
        p.destination = "PRD1";
        p.client = "00";
      },
  };
  for (size_t i = 0; i < changes.size(); ++i) {
    ConnectionProfile changed = Logon();
    changes[i](changed);
    EXPECT_NE(LogonFingerprint(changed), base) << i;
  }
  ConnectionProfile same = Logon();
  same.user = "monitor";
  same.password = "another plain text";
  same.language = "D";
  same.host_name = "sapprd02";
  EXPECT_EQ(LogonFingerprint(same), base);
}

TEST(LogonGuardTest, ALineReadsBackAndHoldsOnlyForItsLogonData) {
  LogonGuard guard{"20261208 10:15:00", LogonFingerprint(Logon()),
                   "Name or password is\r\nincorrect (repeat logon)"};
  const std::string line = LogonGuardLine(guard);
  EXPECT_EQ(line, "# Alb Date=20261208 10:15:00 Logon=" + guard.fingerprint +
                      " Name or password is incorrect (repeat logon)");
  std::optional<LogonGuard> found = FindLogonGuard("Destination:            PRD\n" + line + "\n");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->date_time, guard.date_time);
  EXPECT_EQ(found->message, "Name or password is incorrect (repeat logon)");
  EXPECT_TRUE(GuardHolds(found, Logon()));
  ConnectionProfile changed = Logon();
  changed.stored_password = "ZZZZZZZZZZ";
  EXPECT_FALSE(GuardHolds(found, changed));
  EXPECT_FALSE(GuardHolds(std::nullopt, Logon()));
}

TEST(LogonGuardTest, ADamagedLineHoldsForNoLogon) {
  for (const char* text : {"# Alb \n", "# Alb Date=2026\n", "# Alb Date=20261208 10:15:00\n",
                           "# Alb Date=20261208 10:15:00 Logon=\n", "# Alb junk Logon=x\n"}) {
    std::optional<LogonGuard> found = FindLogonGuard(text);
    ASSERT_TRUE(found) << text;
    EXPECT_FALSE(GuardHolds(found, Logon())) << text;
  }
  EXPECT_FALSE(FindLogonGuard("# Alg Date=20261208 10:15:00 Writes=1\n# AlbDate=x\n"));
}

TEST(LogonGuardTest, TheMessageNamesTheLogonAndHowToLiftTheGuard) {
  ConnectionProfile p = Logon();
  p.user = "monitor";
  EXPECT_EQ(RefusedLogonMessage(p, {"20261208 10:15:00", "0", "User is locked"}, "PRD.P00"),
            "Error 1045: Logon to PRD as MONITOR refused on 20261208 10:15:00 - User is locked - "
            "not tried again until User or Password in Profile PRD.P00 change !");
}

}  // namespace
}  // namespace quillmeter
