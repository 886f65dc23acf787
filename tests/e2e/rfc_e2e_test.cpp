// The sensor's RFC access, run end to end: the built executable with the
// simulated librfc32 beside it.
#include <sys/stat.h>

#include <filesystem>

#include "prtg_answer.h"
#include "sensor_fixture.h"

namespace quillmeter {
namespace {

namespace fs = std::filesystem;

class RfcE2eTest : public SensorTest {
 protected:
  void SetUp() override {
    WriteProfile("PRD");
    WriteSystem();
    RecordLibraryCalls();
  }

  // A copy of the sensor alone in bin/, with `library` as its librfc32 if
  // given.
  RunOptions LonelySensor(const std::string& library = "") {
    RunOptions options;
    options.executable = box.Copy(SensorExecutable(), "bin/quillmeter");
    if (!library.empty()) box.Copy(library, "bin/librfc32.so");
    return options;
  }

  std::string BinDir() { return fs::canonical(box.Path("bin")).string(); }
};

TEST_F(RfcE2eTest, WithoutLibraryTheRunEndsWithError1040NamingEveryFileTried) {
  RunOptions options = LonelySensor();
  SensorResult r = RunSensor({"PRD", "@"}, options);
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.out,
            ErrorDocument("Error 1040: RFC library librfc32.so cannot be loaded (" + BinDir() +
                          "/librfc32.so: cannot open shared object file: No such file or "
                          "directory; librfc32.so: cannot open shared object file: No "
                          "such file or directory) ! - RFC library libsapnwrfc.so cannot be "
                          "loaded (" + BinDir() +
                          "/libsapnwrfc.so: cannot open shared object file: No such file or "
                          "directory; libsapnwrfc.so: cannot open shared object file: No "
                          "such file or directory) !"));
}

TEST_F(RfcE2eTest, ALibraryThatIsNoLibraryIsError1040WithTheSystemsReason) {
  box.WriteFile("not-a-library", std::string(4096, 'x'));
  RunOptions options = LonelySensor(box.Path("not-a-library"));
  SensorResult r = RunSensor({"PRD", "@"}, options);
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.out.rfind("<Prtg>\n<Error>1</Error>\n<Text>Error 1040: RFC library librfc32.so "
                        "cannot be loaded (" +
                            BinDir() + "/librfc32.so: ",
                        0),
            0u)
      << r.out;
  EXPECT_NE(r.out.find("ELF"), std::string::npos) << r.out;
}

TEST_F(RfcE2eTest, ALibraryLackingAnOperationIsError1041) {
  RunOptions options = LonelySensor(STUB_RFC_LIBRARY);
  SensorResult r = RunSensor({"PRD", "@"}, options);
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.out.rfind("<Prtg>\n<Error>1</Error>\n<Text>Error 1041: RFC library " + BinDir() +
                            "/librfc32.so lacks the operation RfcOpenEx (",
                        0),
            0u)
      << r.out;
}

TEST_F(RfcE2eTest, OptionsRecordCarriesPaddedLogonAndHostRecord) {
  RunSensor({"PRD", "@"});
  EXPECT_NE(
      LibraryCalls().find("RfcEnvironment errorhandler=set allocate=null\n"
                          "RfcOpen destination=[PRD] mode=0 client=[100] user=[MONITOR     ] "
                          "password=[Secret12  ] language=[E] trace=0 hostname=[sapprd01] sysnr=2 "
                          "gateway_host=[gw01] gateway_service=[sapgw02]\n"
                          "  handle 1\n"),
      std::string::npos)
      << LibraryCalls();
  EXPECT_EQ(LibraryCalls().find("RfcOpenEx"), std::string::npos);
}

TEST_F(RfcE2eTest, R2OpensThroughTheGatewayRecord) {
  ProfileFields fields;
  fields.mode = "R/2";
  WriteProfile("PRD", fields);
  RunSensor({"PRD", "@"});
  EXPECT_NE(LibraryCalls().find("mode=1 client=[100] user=[MONITOR     ] password=[Secret12  ] "
                                "language=[E] trace=0 gateway_host=[gw01] "
                                "gateway_service=[sapgw02]\n"),
            std::string::npos)
      << LibraryCalls();
}

TEST_F(RfcE2eTest, HostAndSystemNumberOverridesReachTheHostRecord) {
  RunSensor({"PRD", "@,HOST=", ",NO=07"});
  EXPECT_NE(LibraryCalls().find("hostname=(null) sysnr=7 "), std::string::npos) << LibraryCalls();
  RecordLibraryCalls();
  RunSensor({"PRD", "@,HOST=SapPrd02,NO=11"});
  EXPECT_NE(LibraryCalls().find("hostname=[SapPrd02] sysnr=11 "), std::string::npos)
      << LibraryCalls();
}

TEST_F(RfcE2eTest, PerDestinationFileOpensThroughConnectString) {
  const std::string ini = "DEST=PRD\r\nTYPE=A\r\nASHOST=sapprd01\r\nSYSNR=02\r\n";
  box.WriteFile("SapRfc.PRD", ini);
  box.WriteFile("SapRfc.ini", std::string(5000, '#'));
  SensorResult r = RunSensor({"PRD", "@"});
  EXPECT_NE(r.out.find("* SapRfc.Ini.......: PRD<\n"), std::string::npos) << r.out;
  EXPECT_EQ(box.ReadFile("SapRfc.ini"), ini);
  EXPECT_NE(
      LibraryCalls().find("RfcOpenEx [CLIENT=100 USER=MONITOR PASSWD=Secret12 LANG=D DEST=PRD]\n"
                          "  handle 1\n"),
      std::string::npos)
      << LibraryCalls();
  EXPECT_EQ(LibraryCalls().find("RfcOpen "), std::string::npos);
  // Only the copy itself is left: no temporary beside it.
  for (const auto& entry : fs::directory_iterator(box.dir()))
    EXPECT_EQ(entry.path().filename().string().find("SapRfc.ini."), std::string::npos)
        << entry.path();
}

TEST_F(RfcE2eTest, WithoutConsoleTraceNothingStandsBeforeTheDocument) {
  // A document mode that opens the profile where the command line says.
  RunOptions options = LonelySensor(SimulatedLibrary());
  box.WriteFile("bin/Quillmeter.Vorlind", "");
  box.WriteFile("SapRfc.PRD", "DEST=PRD\n");
  SensorResult r = RunSensor({"PRD"}, options);
  EXPECT_EQ(r.out.find_first_not_of('\n'), r.out.find("<Prtg>\n")) << r.out;
  EXPECT_EQ(r.out.find("SapRfc.Ini"), std::string::npos) << r.out;
  EXPECT_EQ(box.ReadFile("SapRfc.ini"), "DEST=PRD\n");
}

TEST_F(RfcE2eTest, OpenFailuresAreError1011) {
  const struct {
    const char* name;
    std::string description;  // "" leaves PRD undescribed
    std::string trace_text;
    std::string cause;  // how the message begins: the library's last error
  } cases[] = {
      {"unknown destination", "", "This librfc32 is Quillmeter's simulated library",
       "This librfc32 is Quillmeter's simulated library and knows no destination PRD"},
      {"refused open", "fail open\n", "partner not reached",
       "Connect to simulated system PRD failed: partner not reached</Text>"},
      {"wrong client", "client 200\n", "RFC_ERROR_SYSTEM_FAILURE",
       "Client 100 is not available in simulated system PRD"},
      {"faulty description", "colour blue\n", "PRD.simrfc line 1: unknown key colour",
       "PRD.simrfc line 1: unknown key colour</Text>"},
  };
  for (const auto& c : cases) {
    box.WriteFile("Dev_Rfc.Trc", "");
    fs::remove(box.Path("PRD.simrfc"));
    if (!c.description.empty()) box.WriteFile("PRD.simrfc", c.description);
    SensorResult r = RunSensor({"PRD", "@"});
    EXPECT_EQ(r.exit_code, 2) << c.name;
    EXPECT_NE(r.out.find("<Text>Error 1011: RFC-Open for PRD failed ! - " + c.cause),
              std::string::npos)
        << c.name << ": " << r.out;
    EXPECT_NE(box.ReadFile("Dev_Rfc.Trc").find(c.trace_text), std::string::npos)
        << c.name << ": " << box.ReadFile("Dev_Rfc.Trc");
  }
}

TEST_F(RfcE2eTest, ProfileValueThatWouldInjectKeysIsRefusedWithoutLogon) {
  ProfileFields fields;
  fields.user = "monitor DEST=QAS";
  WriteProfile("PRD", fields);
  box.WriteFile("SapRfc.PRD", "DEST=PRD\n");
  SensorResult r = RunSensor({"PRD", "@"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.out.find(ErrorDocument("Error 1042: User in Profile PRD.P00 holds a character "
                                     "not allowed in the RFC connect string !")),
            std::string::npos)
      << r.out;
  EXPECT_EQ(LibraryCalls().find("RfcOpen"), std::string::npos) << LibraryCalls();
}

TEST_F(RfcE2eTest, UnwritableSapRfcIniOpensNothing) {
  if (!CanRunUnprivileged()) GTEST_SKIP() << "needs root to run the sensor as another user";
  box.WriteFile("SapRfc.PRD", "DEST=PRD\n");
  chmod(box.Path("SimRfc.log").c_str(), 0666);
  RunOptions options;
  options.unprivileged = true;  // the sandbox stays root's: read-only to the sensor
  SensorResult r = RunSensor({"PRD", "@"}, options);
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.out.find(ErrorDocument("Error 1011: RFC-Open for PRD failed ! - SapRfc.ini cannot "
                                     "be written: Permission denied")),
            std::string::npos)
      << r.out;
  EXPECT_FALSE(box.Exists("SapRfc.ini"));
  EXPECT_EQ(LibraryCalls().find("RfcOpen"), std::string::npos) << LibraryCalls();
}

TEST_F(RfcE2eTest, ErrorHandlerCalledByTheLibraryAbortsWithExitCode1) {
  // PRTG reads the report as the error of one document: the PRTG mode, in a
  // working directory that is a sensor folder.
  const std::string folder = "PRTG Network Monitor/Custom Sensors/EXEXML";
  box.WriteFile(folder + "/PRD.P00", ProfileText());
  box.WriteFile(folder + "/PRD.simrfc", "fail handler open\n");
  box.WriteFile(folder + "/SimRfc.log", "");
  RunOptions in_folder;
  in_folder.subdir = folder;
  SensorResult r = RunSensor({"PRD"}, in_folder);
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, ErrorDocument("RFC error - operation/code: RfcOpen - key: SYSTEM_FAILURE - "
                                 "status: simulated - message: Connection to simulated system "
                                 "PRD broken - internal status: RfcOpen"));
  EXPECT_NE(box.ReadFile(folder + "/SimRfc.log").find("RfcClose 0\n"), std::string::npos);

  // The console products print the plain report.
  WriteSystem(ProfileFields{}, "fail handler open\n");
  box.WriteFile("bin/Quillmeter.Talvren", "");
  r = RunSensor({"PRD"}, LonelySensor(SimulatedLibrary()));
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out,
            "RFC error\n"
            "operation/code  : RfcOpen\n"
            "key             : SYSTEM_FAILURE\n"
            "status          : simulated\n"
            "message         : Connection to simulated system PRD broken\n"
            "internal status : RfcOpen\n"
            "\n"
            "* Programm aborted...\n");
}

TEST_F(RfcE2eTest, CallLogNamesEachStepButNeverThePassword) {
  RunSensor({"PRD", "@,SYSLOG"});
  std::string log = box.ReadFile("PRD.P00.log");
  EXPECT_EQ(log.rfind("0 program started " + fs::canonical(SensorExecutable()).string() +
                          "\n0 RfcEnvironment called \n1 RfcOpen called \n",
                      0),
            0u)
      << log;
  EXPECT_EQ(log.find("Secret12"), std::string::npos);
  box.WriteFile("SapRfc.PRD", "DEST=PRD\n");
  RunSensor({"PRD", "@,syslog"});
  log = box.ReadFile("PRD.P00.log");
  EXPECT_NE(log.find("\n1 RfcOpenEx called \n"), std::string::npos) << log;
  EXPECT_EQ(log.find("Secret12"), std::string::npos);
}

TEST_F(RfcE2eTest, NoCallLogWithoutSyslog) {
  RunSensor({"PRD", "@"});
  EXPECT_FALSE(box.Exists("PRD.P00.log"));
}

class RfcQueryE2eTest : public SensorTest {
 protected:
  void SetUp() override {
    WriteProfile("PRD");
    RecordLibraryCalls();
  }

  // Runs a scan of PRD against a system failing as `description` says.
  SensorResult ScanFailing(const std::string& description) {
    fs::remove(box.Path("Dev_Rfc.Trc"));
    RecordLibraryCalls();
    WriteSystem(ProfileFields{}, description);
    return RunSensor({"PRD", "@"});
  }

  static bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
  }
};

TEST_F(RfcQueryE2eTest, ScanSucceedsThroughEitherOpen) {
  for (bool connect_string : {false, true}) {
    if (connect_string) box.WriteFile("SapRfc.PRD", "DEST=PRD\n");
    box.WriteFile("Dev_Rfc.Trc", "left from an earlier failure\n");
    WriteSystem();
    SensorResult r = RunSensor({"PRD", "@"});
    EXPECT_EQ(r.exit_code, 0) << r.out;
    EXPECT_NE(r.out.find("<Text>(PRD) Logging: LogWrites=0, WaitBusy=0, RollBacks=0, "
                         "OverFlows=0</Text>"),
              std::string::npos)
        << r.out;
    EXPECT_FALSE(box.Exists("Dev_Rfc.Trc"));
    EXPECT_NE(LibraryCalls().find(connect_string ? "RfcOpenEx [" : "RfcOpen destination="),
              std::string::npos);
  }
}

TEST_F(RfcQueryE2eTest, FailedQueriesCarryTheTraceFileHint) {
  const struct {
    std::string description;
    std::string message;
  } cases[] = {
      {"fail call GET_CPU_ALL 1",
       "Error 1014: RFC-Failure raised ! - Call of GET_CPU_ALL in simulated system PRD failed "
       "(result 1)"},
      {"fail receive RFC_SYSTEM_INFO 2 NOT_AUTHORIZED",
       "Error 1012: Exception.: NOT_AUTHORIZED - Receive of RFC_SYSTEM_INFO in simulated system "
       "PRD failed (result 2)"},
      {"fail receive RFC_SYSTEM_INFO 3",
       "Error 1013: Sys-Exception raised ! - Receive of RFC_SYSTEM_INFO in simulated system PRD "
       "failed (result 3)"},
      {"fail call ADA_ST04 7",
       "Error 1015: Other Failure raised ! - Call of ADA_ST04 in simulated system PRD failed "
       "(result 7)"},
      {"fail receive ADA_ST04 1\ntrace bare",
       "Error 1014: RFC-Failure raised ! - Please Check Trace-File !"},
      {"fail receive ADA_ST04 1\ntrace off",
       "Error 1014: RFC-Failure raised ! - Look for Trace-File"},
  };
  for (const auto& c : cases) {
    SensorResult r = ScanFailing(c.description + "\n");
    EXPECT_EQ(r.exit_code, 2) << c.description;
    EXPECT_TRUE(EndsWith(r.out, ErrorDocument(c.message))) << c.description << ":\n" << r.out;
    EXPECT_NE(LibraryCalls().find("RfcClose 1\n"), std::string::npos) << c.description;
  }
}

TEST_F(RfcQueryE2eTest, LibraryFailuresAbortWithTheLastErrorAndExitCode1) {
  const struct {
    const char* description;
    const char* operation;
    const char* key;
  } cases[] = {
      {"fail install RFCSI", "RfcInstallStructure", "INSTALL_FAILED"},
      {"fail itcreate TF_CPU_ALL", "ItCreate TF_CPU_ALL", "NO_MEMORY"},
      {"fail itgetline TF_CPU_ALL", "ItGetLine TF_CPU_ALL", "INVALID_LINE"},
      {"fail itdelete TF_CPU_ALL", "ItDelete TF_CPU_ALL", "DELETE_FAILED"},
      {"fail itcreate TST04ADA", "ItCreate TST04ADA", "NO_MEMORY"},
      {"fail itdelete TST04ADA", "ItDelete TST04ADA", "DELETE_FAILED"},
      {"fail handler ADA_ST04", "RfcCall ADA_ST04", "SYSTEM_FAILURE"},
  };
  for (const auto& c : cases) {
    SensorResult r = ScanFailing(std::string(c.description) + "\n");
    EXPECT_EQ(r.exit_code, 1) << c.description;
    size_t report = r.out.find("<Prtg>\n<Error>1</Error>\n<Text>RFC error - ");
    ASSERT_NE(report, std::string::npos) << c.description << ":\n" << r.out;
    EXPECT_EQ(r.out.substr(report, r.out.find(" - message: ", report) - report),
              std::string("<Prtg>\n<Error>1</Error>\n<Text>RFC error - operation/code: ") +
                  c.operation + " - key: " + c.key + " - status: simulated")
        << c.description;
    EXPECT_TRUE(EndsWith(r.out, "</Text>\n</Prtg>\n")) << c.description << r.out;
    EXPECT_EQ(DocumentFault(DocumentPart(r.out)), "") << c.description;
    EXPECT_NE(LibraryCalls().find("RfcClose 0\n"), std::string::npos) << c.description;
  }
}

TEST_F(RfcQueryE2eTest, CallLogFollowsEveryCall) {
  WriteSystem();
  RunSensor({"PRD", "@,SYSLOG"});
  std::string log = box.ReadFile("PRD.P00.log");
  EXPECT_NE(log.find("\n1 RfcOpen called \n"
                     "1 RfcCall called \n1 RfcReceive called \n"
                     "1 RfcCall called \n1 RfcReceive called \n"
                     "1 RfcCall called \n1 RfcReceive called \n"),
            std::string::npos)
      << log;
}

}  // namespace
}  // namespace quillmeter
