// The logon guard end to end: a logon SAP refused is sent once, not at every
// scan, until the profile's logon data change.
#include <regex>

#include "sensor_fixture.h"

namespace quillmeter {
namespace {

// The refusal's date and time are the sensor's clock.
std::string Masked(const std::string& text) {
  return std::regex_replace(text, std::regex("\\d{8} \\d\\d:\\d\\d:\\d\\d"), "YYYYMMDD hh:mm:ss");
}

std::string Refused(const std::string& reason) {
  return "<Text>Error 1045: Logon to PRD as MONITOR refused on YYYYMMDD hh:mm:ss - " + reason +
         " - not tried again until User or Password in Profile PRD.P00 change !</Text>";
}

class LogonGuardE2eTest : public SensorTest {
 protected:
  void SetUp() override {
    WriteProfile("PRD");
    // The RFC user's password was changed in SAP, not yet in the profile.
    ProfileFields changed;
    changed.password = "Changed99";
    WriteSystem(changed, "lockafter 3\n");
    RecordLibraryCalls();
  }
};

TEST_F(LogonGuardE2eTest, TwentyScansSendOneRefusedLogonAndTheNewPasswordLiftsTheGuard) {
  const std::string profile = box.ReadFile("PRD.P00");
  for (int scan = 0; scan < 20; ++scan) {
    SensorResult r = RunSensor({"PRD", "@"});
    EXPECT_EQ(r.exit_code, 2) << scan;
    EXPECT_NE(Masked(r.out).find(Refused("Name or password is incorrect (repeat logon)")),
              std::string::npos)
        << scan << r.out;
  }
  EXPECT_EQ(Count(LibraryCalls(), "logon refused"), 1u) << LibraryCalls();
  EXPECT_EQ(Count(LibraryCalls(), "RfcOpen "), 1u);
  EXPECT_EQ(box.ReadFile("PRD.simrfc-logons"), "1\n") << "one of three: the user is not locked";
  EXPECT_NE(box.ReadFile("Dev_Rfc.Trc").find("RFC_ERROR_LOGON_FAILURE"), std::string::npos);
  // The guard line follows the profile; nothing else in it changed.
  const std::string guarded = box.ReadFile("PRD.P00");
  ASSERT_EQ(guarded.substr(0, profile.size()), profile);
  EXPECT_TRUE(
      std::regex_match(guarded.substr(profile.size()),
                       std::regex("# Alb Date=\\d{8} \\d\\d:\\d\\d:\\d\\d Logon=[0-9a-f]{16} "
                                  "Name or password is incorrect \\(repeat logon\\)\n")))
      << guarded;

  box.WriteFile("typed", "Changed99\n");
  RunOptions tool;
  tool.executable = PASSWORD_TOOL_EXE;
  tool.input_file = "typed";
  SensorResult written = box.Run({"PRD.P00"}, tool);
  ASSERT_EQ(written.exit_code, 0) << written.err;
  EXPECT_EQ(box.ReadFile("PRD.P00").find("# Alb "), std::string::npos);

  SensorResult r = RunSensor({"PRD", "@"});
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(box.ReadFile("PRD.P00").find("# Alb "), std::string::npos);
  EXPECT_NE(box.ReadFile("PRD.P00").find("# Alg Date="), std::string::npos);
  EXPECT_FALSE(box.Exists("PRD.simrfc-logons")) << "a logon that succeeds resets SAP's counter";
}

TEST_F(LogonGuardE2eTest, APasswordPutRightInSapIsRetriedWithoutRetypingIt) {
  const std::string profile = box.ReadFile("PRD.P00");
  EXPECT_EQ(RunSensor({"PRD", "@"}).exit_code, 2);
  ASSERT_NE(box.ReadFile("PRD.P00").find("# Alb "), std::string::npos);
  // SAP takes the profile's password again.
  WriteSystem(ProfileFields{}, "lockafter 3\n");
  RunOptions tool;
  tool.executable = PASSWORD_TOOL_EXE;
  SensorResult retry = box.Run({"--retry", "PRD.P00"}, tool);
  EXPECT_EQ(retry.exit_code, 0) << retry.err;
  EXPECT_EQ(retry.out, "Logon guard line removed from PRD.P00: the next scan logs on again\n");
  EXPECT_EQ(box.ReadFile("PRD.P00"), profile) << "the guard line alone went";
  SensorResult r = RunSensor({"PRD", "@"});
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(Count(LibraryCalls(), "RfcOpen "), 2u) << LibraryCalls();
}

TEST_F(LogonGuardE2eTest, TheConnectStringLogonIsRefusedOnceInGerman) {
  box.WriteFile("SapRfc.PRD", "DEST=PRD\n");
  for (int scan = 0; scan < 3; ++scan) {
    SensorResult r = RunSensor({"PRD", "@"});
    EXPECT_EQ(r.exit_code, 2) << scan;
    EXPECT_NE(
        Masked(r.out).find(Refused("Name oder Kennwort ist nicht korrekt (Anmeldung wiederholen)")),
        std::string::npos)
        << scan << r.out;
  }
  EXPECT_EQ(Count(LibraryCalls(), "RfcOpenEx "), 1u) << LibraryCalls();
  EXPECT_EQ(Count(LibraryCalls(), "logon refused"), 1u);
}

TEST_F(LogonGuardE2eTest, AFailureThatIsNoRefusalIsTriedAgainAtTheNextScan) {
  WriteSystem(ProfileFields{}, "fail open\n");
  for (int scan = 0; scan < 2; ++scan) {
    SensorResult r = RunSensor({"PRD", "@"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_NE(r.out.find("<Text>Error 1011: RFC-Open for PRD failed ! - Connect to simulated "
                         "system PRD failed: partner not reached"),
              std::string::npos)
        << r.out;
  }
  EXPECT_EQ(Count(LibraryCalls(), "RfcOpen "), 2u) << LibraryCalls();
  EXPECT_EQ(box.ReadFile("PRD.P00").find("# Alb "), std::string::npos);
}

TEST_F(LogonGuardE2eTest, ALockedUserIsRefusedEvenWithTheRightPassword) {
  // Another tool with the old password locked the user before the sensor
  // came: the guard holds SAP's own words.
  box.WriteFile("PRD.simrfc-logons", "3\n");
  WriteSystem(ProfileFields{}, "lockafter 3\n");
  SensorResult r = RunSensor({"PRD", "@"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(Masked(r.out).find(Refused("User is locked. Please notify the person responsible")),
            std::string::npos)
      << r.out;
  EXPECT_EQ(RunSensor({"PRD", "@"}).exit_code, 2);
  EXPECT_EQ(Count(LibraryCalls(), "logon refused"), 1u) << LibraryCalls();
}

}  // namespace
}  // namespace quillmeter
