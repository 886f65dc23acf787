#include "profiles/logon_guard.h"

#include <gtest/gtest.h>

#include "platform/fake_platform.h"
#include "platform/sha256.h"

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
  // Guard lines already written hold as they stand.
  EXPECT_EQ(base, "49f2c7a36cd64902");
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

ConnectionProfile PrtgLogon() {
  ConnectionProfile p = Logon();
  p.stored_password.clear();
  p.user_variable = "prtg_windowsuser";
  p.password_variable = "prtg_windowspassword";
  return p;
}

// The password from PRTG is in no file in any form: the fingerprint is
// salted and slow, and holds for the same data only.
TEST(LogonGuardTest, PrtgCredentialsGetASaltedSlowFingerprint) {
  FakePlatform platform;
  platform.random_seed = 0xa0;
  const std::string fingerprint = NewLogonFingerprint(platform, PrtgLogon());
  const std::string expected_prefix = "pbkdf2-sha256:20000:a0a1a2a3a4a5a6a7a8a9aaabacadaeaf:";
  ASSERT_EQ(fingerprint.substr(0, expected_prefix.size()), expected_prefix);
  EXPECT_EQ(fingerprint.size(), expected_prefix.size() + 64);
  EXPECT_EQ(fingerprint.find("Secret12"), std::string::npos);
  EXPECT_EQ(fingerprint.find(HexOf(Sha256("Secret12"))), std::string::npos);
  // A stored password keeps its fingerprint.
  EXPECT_EQ(NewLogonFingerprint(platform, Logon()), LogonFingerprint(Logon()));

  std::optional<LogonGuard> guard = LogonGuard{"20261208 10:15:00", fingerprint, "refused"};
  EXPECT_TRUE(GuardHolds(guard, PrtgLogon()));
  for (auto change : std::vector<void (*)(ConnectionProfile&)>{
           [](ConnectionProfile& p) { p.password = "Secret13"; },
           [](ConnectionProfile& p) { p.user = "OTHER"; },
           [](ConnectionProfile& p) { p.client = "200"; },
           [](ConnectionProfile& p) { p.destination = "QAS"; },
           // The same data from the profile's own lines take the fast kind.
           [](ConnectionProfile& p) { p.password_variable.clear(); }}) {
    ConnectionProfile changed = PrtgLogon();
    change(changed);
    EXPECT_FALSE(GuardHolds(guard, changed));
  }
  // A fast fingerprint does not hold for data from PRTG, and a second salt
  // gives another line for the same data.
  EXPECT_FALSE(GuardHolds(LogonGuard{"", LogonFingerprint(PrtgLogon()), ""}, PrtgLogon()));
  const std::string second = NewLogonFingerprint(platform, PrtgLogon());
  EXPECT_NE(second, fingerprint);
  EXPECT_TRUE(GuardHolds(LogonGuard{"", second, ""}, PrtgLogon()));

  // Without the system's random numbers the salt still differs by time.
  platform.fail_random = true;
  const std::string fallback = NewLogonFingerprint(platform, PrtgLogon());
  platform.now.second += 1;
  EXPECT_NE(NewLogonFingerprint(platform, PrtgLogon()).substr(0, 54), fallback.substr(0, 54));
  EXPECT_TRUE(GuardHolds(LogonGuard{"", fallback, ""}, PrtgLogon()));
}

// An edited line can neither weaken the hash nor stall the scan.
TEST(LogonGuardTest, ASaltedLineOutsideTheRulesHoldsForNothing) {
  const std::string salt(kFingerprintSaltSize, 's');
  const ConnectionProfile p = PrtgLogon();
  const std::string good = SaltedLogonFingerprint(p, salt, kMinSaltedFingerprintRounds);
  EXPECT_TRUE(GuardHolds(LogonGuard{"", good, ""}, p));
  const std::string salt_hex = "73737373737373737373737373737373";
  const std::string hash = good.substr(good.rfind(':') + 1);
  for (const std::string& bad : {"pbkdf2-sha256:9999:" + salt_hex + ":" + hash,
                                 "pbkdf2-sha256:200001:" + salt_hex + ":" + hash,
                                 "pbkdf2-sha256:4294967296999:" + salt_hex + ":" + hash,
                                 "pbkdf2-sha256:010000:" + salt_hex + ":" + hash,
                                 "pbkdf2-sha256:10000:" + salt_hex + ":" + hash + ":",
                                 "pbkdf2-sha256:10000:" + salt_hex.substr(2) + ":" + hash,
                                 "pbkdf2-sha256:10000:" + salt_hex.substr(1) + "X:" + hash,
                                 "pbkdf2-sha256:10000:" + salt_hex + ":" + hash.substr(1),
                                 "pbkdf2-sha1:10000:" + salt_hex + ":" + hash,
                                 std::string("pbkdf2-sha256:::"), std::string("pbkdf2-sha256")}) {
    EXPECT_FALSE(GuardHolds(LogonGuard{"", bad, ""}, p)) << bad;
  }
}

TEST(LogonGuardTest, ARefusalOfPrtgCredentialsSaysWhereToChangeThem) {
  EXPECT_EQ(RefusedLogonCause(Logon()), "");
  EXPECT_EQ(RefusedLogonCause(PrtgLogon()),
            "User and Password come from PRTG: prtg_windowsuser, prtg_windowspassword");
}

}  // namespace
}  // namespace quillmeter
