// Whole scans of the Windows sensor under Wine, installed as on a probe in
// PRTG's sensor folder with the simulated librfc32.dll beside it. The
// documents are the ones the sensor writes on every platform.
#include <windows.h>

#include <regex>
#include <utility>
#include <vector>

#include "windows_fixture.h"

namespace quillmeter {
namespace {

const std::string kSensorDir = kDefaultDirs[2];

const std::string kFirstHistory =
    "# Alg Date=20110601 09:05:07 Writes=5000000000 WaitBusy=300 RollBacks=1500 OverFlows=2\r\n";

class WindowsScanTest : public WindowsSensorTest {
 protected:
  void SetUp() override {
    WindowsSensorTest::SetUp();
    Install(kSensorDir);
    InstallLibrary();
    Write(kSensorDir + "PRD.P00", ScanProfile());
  }

  SensorOutput Scan(const std::string& system) {
    Write(kWork + "PRD.simrfc", system);
    return Run({"PRD"});
  }
};

TEST_F(WindowsScanTest, FirstScanReportsZeroAndStoresTheSample) {
  SensorOutput output = Scan(System(kFirstCounters));
  EXPECT_EQ(output.exit_code, 0) << output.out;
  EXPECT_EQ(output.out, ScanDocument("0", "0", "0", "0"));
  // A profile edited on Windows keeps its line ends.
  EXPECT_EQ(Read(kSensorDir + "PRD.P00"), ScanProfile() + kFirstHistory);
}

TEST_F(WindowsScanTest, SecondScanReportsGrowthAndReplacesTheProfileWhole) {
  Scan(System(kFirstCounters));
  SensorOutput output = Scan(System(kLaterCounters));
  EXPECT_EQ(output.exit_code, 0) << output.out;
  EXPECT_EQ(output.out, ScanDocument("1.234", "10", "1", "0"));
  EXPECT_EQ(Read(kSensorDir + "PRD.P00"),
            ScanProfile() +
                "# Alg Date=20110601 09:05:07 Writes=5000001234 WaitBusy=310 RollBacks=1501 "
                "OverFlows=2\r\n" +
                "# Alx" + kFirstHistory.substr(5));
  // The replacement leaves no temporary file beside the profile.
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kSensorDir))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"PRD.P00", "librfc32.dll", "quillmeter.exe"}));
}

TEST_F(WindowsScanTest, OverlappingScansAllAnswerAndLeaveAWholeProfile) {
  Scan(System(kFirstCounters));
  Write(kWork + "PRD.simrfc", System(kLaterCounters));
  for (const SensorOutput& output : RunAtOnce({"PRD"}, 4)) {
    EXPECT_EQ(output.error, "");
    // A scan that read the profile after another one had rewritten it
    // reports no growth; none fails for the other's rewrite.
    EXPECT_EQ(output.exit_code, 0) << output.out;
    EXPECT_EQ(output.out.substr(0, 7), "\n<Prtg>") << output.out;
  }
  std::string profile = Read(kSensorDir + "PRD.P00");
  EXPECT_EQ(profile.substr(0, ScanProfile().size()), ScanProfile());
  std::string history = profile.substr(ScanProfile().size());
  EXPECT_EQ(history.substr(0, 6), "# Alg ") << history;
  EXPECT_EQ(std::count(history.begin(), history.end(), '\n'), 2) << history;
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kSensorDir))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"PRD.P00", "librfc32.dll", "quillmeter.exe"}));
}

TEST_F(WindowsScanTest, ConnectStringPathCopiesTheDestinationFile) {
  Write(kWork + "SapRfc.PRD", "DEST=PRD\r\nASHOST=sapprd01\r\n");
  SensorOutput output = Scan(System(kFirstCounters));
  EXPECT_EQ(output.exit_code, 0) << output.out;
  EXPECT_EQ(output.out, ScanDocument("0", "0", "0", "0"));
  EXPECT_EQ(Read(kWork + "SapRfc.ini"), "DEST=PRD\r\nASHOST=sapprd01\r\n");
}

TEST_F(WindowsScanTest, OtherDatabaseIsError1018) {
  SensorOutput output = Scan(System(kFirstCounters, "database ORACLE\n"));
  EXPECT_EQ(output.out, ErrorDocument("Error 1018: DataBase mismatch ! - the database is ORACLE"));
  EXPECT_EQ(output.exit_code, 2);
}

TEST_F(WindowsScanTest, FailedQueryCarriesTheHintOfTheTraceFile) {
  SensorOutput output = Scan(System(kFirstCounters, "fail call ADA_ST04 7\n"));
  EXPECT_EQ(output.out, ErrorDocument("Error 1015: Other Failure raised ! - Call of ADA_ST04 in "
                                      "simulated system PRD failed (result 7)"));
  EXPECT_EQ(output.exit_code, 2);
  EXPECT_TRUE(fs::exists(kWork + "Dev_Rfc.Trc"));
}

TEST_F(WindowsScanTest, LibraryAbortEndsWithExitCodeOne) {
  SensorOutput output = Scan(System(kFirstCounters, "fail handler ADA_ST04\n"));
  EXPECT_EQ(output.exit_code, 1) << output.out;
  EXPECT_EQ(output.out,
            ErrorDocument("RFC error - operation/code: RfcCall ADA_ST04 - key: SYSTEM_FAILURE - "
                          "status: simulated - message: Connection to simulated system PRD "
                          "broken - internal status: RfcCall ADA_ST04"));
}

TEST_F(WindowsScanTest, ARefusedLogonIsSentOnceAndRememberedInTheProfile) {
  Write(kWork + "SimRfc.log", "");
  const std::string masked =
      "<Prtg>\n<Error>1</Error>\n<Text>Error 1045: Logon to PRD as MONITOR refused on "
      "YYYYMMDD hh:mm:ss - Name or password is incorrect (repeat logon) - not tried again until "
      "User or Password in Profile PRD.P00 change !</Text>\n</Prtg>\n";
  for (int scan = 0; scan < 2; ++scan) {
    SensorOutput output = Scan("client 100\nuser MONITOR\npassword Other\n");
    EXPECT_EQ(std::regex_replace(output.out, std::regex("\\d{8} \\d\\d:\\d\\d:\\d\\d"),
                                 "YYYYMMDD hh:mm:ss"),
              masked);
    EXPECT_EQ(output.exit_code, 2);
  }
  const std::string log = Read(kWork + "SimRfc.log");
  EXPECT_EQ(log.find("logon refused"), log.rfind("logon refused")) << log;
  // The guard line takes the profile's Windows line ends.
  const std::string profile = Read(kSensorDir + "PRD.P00");
  EXPECT_EQ(profile.substr(0, ScanProfile().size()), ScanProfile());
  EXPECT_EQ(profile.substr(ScanProfile().size(), 11), "# Alb Date=");
  EXPECT_EQ(profile.substr(profile.size() - 2), "\r\n");
}

// Sets variables for the processes this test starts, as PRTG sets its
// placeholders for the sensor, and removes them again.
using Variables = std::vector<std::pair<std::string, std::string>>;

class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(const Variables& values) : values_(values) {
    for (const auto& [name, value] : values_) SetEnvironmentVariableA(name.c_str(), value.c_str());
  }
  ~ScopedEnvironment() {
    for (const auto& [name, value] : values_) SetEnvironmentVariableA(name.c_str(), nullptr);
  }

 private:
  Variables values_;
};

TEST_F(WindowsScanTest, PrtgCredentialsComeFromTheEnvironmentAndStayOutOfTheProfile) {
  ProfileFields own;
  own.user = "nobody";
  own.password = "Unused99";
  const std::string profile = ProfileText(own, "Credentials:             prtg-windows\r\n", "\r\n");
  Write(kSensorDir + "PRD.P00", profile);
  SensorOutput output = Scan(System(kFirstCounters));
  EXPECT_EQ(output.exit_code, 2);
  EXPECT_EQ(output.out,
            ErrorDocument("Error 1047: Credentials of PRD.P00 come from PRTG, but "
                          "prtg_windowsuser is not set - in the sensor's settings set Environment "
                          "to \"Set placeholders as environment values\" and enter the device's "
                          "credentials !"));

  ScopedEnvironment wrong(
      Variables{{"prtg_windowsuser", "monitor"}, {"prtg_windowspassword", "Wrong0001"}});
  Write(kWork + "SimRfc.log", "");
  for (int scan = 0; scan < 2; ++scan) {
    output = Scan(System(kFirstCounters));
    EXPECT_EQ(output.exit_code, 2);
    EXPECT_NE(output.out.find(" - User and Password come from PRTG: prtg_windowsuser, "
                              "prtg_windowspassword</Text>"),
              std::string::npos)
        << output.out;
    EXPECT_EQ(output.out.find("Wrong0001"), std::string::npos);
  }
  const std::string log = Read(kWork + "SimRfc.log");
  EXPECT_EQ(log.find("logon refused"), log.rfind("logon refused")) << log;
  const std::string guarded = Read(kSensorDir + "PRD.P00");
  EXPECT_TRUE(std::regex_search(
      guarded, std::regex("\r\n# Alb Date=\\d{8} \\d\\d:\\d\\d:\\d\\d Logon=pbkdf2-sha256:20000:"
                          "[0-9a-f]{32}:[0-9a-f]{64} Name or password is incorrect")))
      << guarded;
  EXPECT_EQ(guarded.find("Wrong0001"), std::string::npos);

  ScopedEnvironment right(Variables{{"prtg_windowspassword", "Secret12"}});
  output = Scan(System(kFirstCounters));
  EXPECT_EQ(output.exit_code, 0) << output.out;
  EXPECT_EQ(output.out, ScanDocument("0", "0", "0", "0"));
  EXPECT_EQ(Read(kSensorDir + "PRD.P00").find("# Alb "), std::string::npos);
}

TEST_F(WindowsScanTest, WithoutTheLibraryTheDocumentNamesIt) {
  fs::remove(kSensorDir + "librfc32.dll");
  SensorOutput output = Scan(System(kFirstCounters));
  const std::string head =
      "<Prtg>\n<Error>1</Error>\n<Text>Error 1040: RFC library librfc32.dll cannot be loaded (";
  EXPECT_EQ(output.out.substr(0, head.size()), head) << output.out;
  EXPECT_NE(output.out.find(kSensorDir + "librfc32.dll"), std::string::npos) << output.out;
  EXPECT_EQ(output.exit_code, 2);
}

}  // namespace
}  // namespace quillmeter
