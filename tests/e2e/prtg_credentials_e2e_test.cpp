// Logon data from PRTG's credentials end to end: the user and password come
// from the variables PRTG sets, and nothing the sensor writes holds the
// password in any form.
#include <filesystem>
#include <regex>

#include "platform/sha256.h"
#include "profiles/password.h"
#include "sensor_fixture.h"

namespace quillmeter {
namespace {

constexpr const char kPassword[] = "PrtgSecret7";

// Every form of `password` a careless sensor could write: the text, a stored
// (scrambled) form of it anywhere in `text`, unsalted hashes of it.
void ExpectNoTraceOf(const std::string& password, const std::string& text,
                     const std::string& where) {
  EXPECT_EQ(text.find(password), std::string::npos) << where << ":\n" << text;
  for (size_t at = 0; at + kStoredPasswordLength <= text.size(); ++at) {
    UnscrambledPassword found = UnscramblePassword(text.substr(at, kStoredPasswordLength));
    EXPECT_FALSE(found.fault == PasswordFault::kNone && found.password == password)
        << where << " holds a stored form at " << at;
  }
  for (const std::string& hashed :
       {password, "PRD\n100\nMONITOR\n" + password, "PRD\n100\nMONITOR\n" + password + "\n"})
    EXPECT_EQ(text.find(HexOf(Sha256(hashed))), std::string::npos) << where;
}

class PrtgCredentialsE2eTest : public SensorTest {
 protected:
  void SetUp() override {
    ProfileFields system;
    system.password = kPassword;
    WriteSystem(system, "lockafter 3\n");
    // The profile's own lines hold another user and password: unused.
    ProfileFields own;
    own.user = "nobody";
    own.password = "Unused99";
    WriteProfile("PRD", own, "Credentials:             prtg-windows\n");
    RecordLibraryCalls();
  }

  // Every file of the working directory but the simulated library's own:
  // its description and its log hold what SAP holds.
  std::string FilesTheSensorWrote() const {
    std::string text;
    for (const auto& entry : std::filesystem::directory_iterator(box.dir())) {
      const std::string name = entry.path().filename().string();
      if (name == "SimRfc.log" || name.find(".simrfc") != std::string::npos) continue;
      text += "== " + name + "\n" + box.ReadFile(name);
    }
    return text;
  }

  SensorResult Scan(const std::string& password, const std::string& words = "@") {
    RunOptions options;
    options.environment = {{"prtg_windowsuser", "monitor"},
                           {"prtg_windowspassword", password},
                           {"prtg_windowsdomain", "CORP"}};
    return RunSensor({"PRD", words}, options);
  }
};

TEST_F(PrtgCredentialsE2eTest, AScanLogsOnWithTheUserAndPasswordFromTheEnvironment) {
  SensorResult r = Scan(kPassword);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_NE(r.out.find("<Text>(PRD) Logging: LogWrites="), std::string::npos) << r.out;
  EXPECT_NE(LibraryCalls().find("user=[MONITOR "), std::string::npos) << LibraryCalls();

  // The Linux pair, named in any letter case.
  WriteProfile("PRD", {}, "Credentials:             PRTG-Linux\n");
  RunOptions linux;
  linux.environment = {{"prtg_linuxuser", "monitor"}, {"prtg_linuxpassword", kPassword}};
  r = RunSensor({"PRD", "@"}, linux);
  EXPECT_EQ(r.exit_code, 0) << r.out;
}

TEST_F(PrtgCredentialsE2eTest, AMissingVariableIsTheExactMessageBeforeAnyLibraryIsLoaded) {
  const std::string hint =
      " is not set - in the sensor's settings set Environment to \"Set placeholders as "
      "environment values\" and enter the device's credentials !";
  SensorResult r = RunSensor({"PRD", "@"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.out, ErrorDocument("Error 1047: Credentials of PRD.P00 come from PRTG, but "
                                 "prtg_windowsuser" +
                                 hint));
  r = Scan("");
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.out, ErrorDocument("Error 1047: Credentials of PRD.P00 come from PRTG, but "
                                 "prtg_windowspassword" +
                                 hint));
  EXPECT_EQ(LibraryCalls(), "");
}

TEST_F(PrtgCredentialsE2eTest, AWrongPasswordIsSentOnceAndAChangedOneTriedOnce) {
  const std::string refused =
      "refused on YYYYMMDD hh:mm:ss - Name or password is incorrect (repeat logon) - not tried "
      "again until User or Password in Profile PRD.P00 change ! - User and Password come from "
      "PRTG: prtg_windowsuser, prtg_windowspassword</Text>";
  std::string everything_out;
  for (int scan = 0; scan < 20; ++scan) {
    SensorResult r = Scan("Wrong0001", "@,SYSLOG");
    EXPECT_EQ(r.exit_code, 2) << scan;
    EXPECT_NE(
        std::regex_replace(r.out, std::regex("\\d{8} \\d\\d:\\d\\d:\\d\\d"), "YYYYMMDD hh:mm:ss")
            .find(refused),
        std::string::npos)
        << r.out;
    everything_out += r.out + r.err;
  }
  EXPECT_EQ(Count(LibraryCalls(), "logon refused"), 1u) << LibraryCalls();
  const std::string guarded = box.ReadFile("PRD.P00");
  std::smatch guard;
  ASSERT_TRUE(std::regex_search(
      guarded, guard,
      std::regex("# Alb Date=\\d{8} \\d\\d:\\d\\d:\\d\\d Logon=pbkdf2-sha256:20000:([0-9a-f]{32}):"
                 "[0-9a-f]{64} Name or password is incorrect \\(repeat logon\\)\n")))
      << guarded;
  for (const char* secret : {"Wrong0001", kPassword}) {
    ExpectNoTraceOf(secret, guarded, "the profile");
    ExpectNoTraceOf(secret, everything_out, "the output");
    ExpectNoTraceOf(secret, FilesTheSensorWrote(), "a file");
  }
  EXPECT_NE(box.ReadFile("PRD.P00.log"), "") << "the call log was written";

  // A changed password is tried once; the guard line then holds for it.
  for (int scan = 0; scan < 3; ++scan) EXPECT_EQ(Scan("Wrong0002").exit_code, 2);
  EXPECT_EQ(Count(LibraryCalls(), "logon refused"), 2u) << LibraryCalls();
  std::smatch second;
  const std::string reguarded = box.ReadFile("PRD.P00");
  ASSERT_TRUE(std::regex_search(reguarded, second,
                                std::regex("Logon=pbkdf2-sha256:20000:([0-9a-f]{32}):")));
  EXPECT_NE(second[1].str(), guard[1].str()) << "every guard has a salt of its own";
  ExpectNoTraceOf("Wrong0002", reguarded, "the profile");

  // The right one logs on and lifts the guard; SAP never locked the user.
  SensorResult r = Scan(kPassword);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(box.ReadFile("PRD.P00").find("# Alb "), std::string::npos);
  EXPECT_FALSE(box.Exists("PRD.simrfc-logons"));
}

TEST_F(PrtgCredentialsE2eTest, AMultiSystemRunMixesBothKindsOfProfile) {
  ProfileFields qas;
  qas.destination = "QAS";
  WriteProfile("QAS", qas);
  WriteSystem(qas, "lastcoll Mon Dec  7 10:11:12 2026\nst04line\nLOGPAGES 1000\n");
  box.WriteFile("Tessarin.Prf", "# Gsng: systems     PRD.P00#QAS.P00#\n");
  const std::vector<std::string> item = {"x", "Item=LogWrites", "@,SYSLOG"};
  RunOptions options;
  options.environment = {{"prtg_windowsuser", "monitor"}, {"prtg_windowspassword", kPassword}};
  SensorResult r = RunSensor(item, options);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_NE(r.out.find("NoSystems=2, Processed=2, Failed=0"), std::string::npos) << r.out;
  ExpectNoTraceOf(kPassword, r.out + r.err, "the output");
  ExpectNoTraceOf(kPassword, FilesTheSensorWrote(), "a file");
  EXPECT_NE(box.ReadFile("PRD.P00.log"), "") << "the call log was written";

  // Without the sensor's setting the run says so, before any library.
  RecordLibraryCalls();
  r = RunSensor(item);
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.out.find("<Text>Error 1047: Credentials of PRD.P00 come from PRTG, but "
                       "prtg_windowsuser is not set - "),
            std::string::npos)
      << r.out;
  EXPECT_EQ(LibraryCalls(), "");
}

}  // namespace
}  // namespace quillmeter
