// The scenarios that matter, run end to end through each of SAP's RFC
// libraries: the classic librfc32 and the NetWeaver sapnwrfc, each simulated
// and alone beside a copy of the sensor. Whatever the library, the answers
// are the same; only the NetWeaver path names itself in the console trace.
#include <regex>
#include <tuple>

#include "prtg_answer.h"
#include "sensor_fixture.h"

namespace quillmeter {
namespace {

enum class Library { kClassic, kNetWeaver };

constexpr const char kSample[] =
    "lastcoll Wed Jun  1 09:05:07 2011\nst04line\nLOGPAGES 1200\nLOGWAITS 30\nROLLBACKS 1234567 "
    "dotted\nQUEUEOVER 2\n";

class LibraryE2eTest : public SensorTest, public ::testing::WithParamInterface<Library> {
 protected:
  void SetUp() override {
    options_.executable = box.Copy(SensorExecutable(), "bin/quillmeter");
    if (GetParam() == Library::kClassic)
      box.Copy(SimulatedLibrary(), "bin/librfc32.so");
    else
      box.Copy(SIMNWRFC_LIBRARY, "bin/libsapnwrfc.so");
    WriteProfile("PRD");
    WriteSystem(ProfileFields{}, kSample);
    RecordLibraryCalls();
  }

  SensorResult Scan(const std::vector<std::string>& args = {"PRD", "@"}) {
    return RunSensor(args, options_);
  }

  // The output with the times masked and the NetWeaver library's own line
  // taken out, after checking that it stands right after the state lines.
  std::string Common(const SensorResult& r) {
    std::string out = MaskedTimes(r.out);
    static const std::regex kLibraryLine(
        "(State=Executing\n)\\* hh:mm:ss RFC library: [^\n]*/libsapnwrfc\\.so \\(NetWeaver "
        "\\d+\\.\\d+\\.\\d+\\)\n");
    std::string without = std::regex_replace(out, kLibraryLine, "$1");
    if (GetParam() == Library::kNetWeaver)
      EXPECT_NE(without, out) << "no library line after the state lines:\n" << out;
    else
      EXPECT_EQ(out.find("RFC library:"), std::string::npos) << out;
    return without;
  }

  RunOptions options_;
};

std::string LibraryName(const ::testing::TestParamInfo<Library>& info) {
  return info.param == Library::kClassic ? "Classic" : "NetWeaver";
}

INSTANTIATE_TEST_SUITE_P(Libraries, LibraryE2eTest,
                         ::testing::Values(Library::kClassic, Library::kNetWeaver), LibraryName);

TEST_P(LibraryE2eTest, FirstAndSecondScanWithTheirHistory) {
  const std::string profile = box.ReadFile("PRD.P00");
  SensorResult first = Scan();
  EXPECT_EQ(first.exit_code, 0) << first.out;
  EXPECT_EQ(Common(first),
            "* hh:mm:ss SAP Quillmeter Vers 4.3 / 29.08.22\n"
            "* hh:mm:ss PRD.P00, sapprd01, PRD, 02, 100 State=Processing\n"
            "* hh:mm:ss Quillmeter - (No Parameters) State=Executing\n"
            "\n<Prtg>\n\n<Text>(PRD) Logging: LogWrites=0, WaitBusy=0, RollBacks=0, "
            "OverFlows=0</Text>\n" +
                Channel("LogWrites", "0") + Channel("WaitBusy", "0") + Channel("RollBacks", "0") +
                Channel("Overflows", "0") +
                "\n</Prtg>\n\n* hh:mm:ss SAP Quillmeter now processed...\n");
  const std::string first_line =
      "# Alg Date=20110601 09:05:07 Writes=1200 WaitBusy=30 RollBacks=1234567 OverFlows=2\n";
  EXPECT_EQ(box.ReadFile("PRD.P00"), profile + first_line);

  WriteSystem(ProfileFields{}, "lastcoll Wed Jun  1 10:00:00 2011\nst04line\nLOGPAGES 2500\n"
                               "LOGWAITS 31\nROLLBACKS 1234570 dotted\nQUEUEOVER 2\n");
  SensorResult second = Scan();
  EXPECT_EQ(second.exit_code, 0);
  EXPECT_EQ(DocumentPart(second.out),
            "<Prtg>\n\n<Text>(PRD) Logging: LogWrites=1.300, WaitBusy=1, RollBacks=3, "
            "OverFlows=0</Text>\n" +
                Channel("LogWrites", "1300") + Channel("WaitBusy", "1") +
                Channel("RollBacks", "3") + Channel("Overflows", "0") + "\n</Prtg>\n")
      << second.out;
  EXPECT_EQ(box.ReadFile("PRD.P00"),
            profile +
                "# Alg Date=20110601 10:00:00 Writes=2500 WaitBusy=31 RollBacks=1234570 "
                "OverFlows=2\n# Alx" +
                first_line.substr(5));
}

TEST_P(LibraryE2eTest, TwentyScansWithAWrongPasswordSendOneLogon) {
  ProfileFields changed;
  changed.password = "Changed99";
  WriteSystem(changed, "lockafter 3\n");
  for (int scan = 0; scan < 20; ++scan) {
    SensorResult r = Scan();
    EXPECT_EQ(r.exit_code, 2) << scan;
    EXPECT_NE(r.out.find("<Text>Error 1045: Logon to PRD as MONITOR refused on "), std::string::npos)
        << scan << r.out;
    EXPECT_NE(r.out.find(" - Name or password is incorrect (repeat logon) - not tried again until "
                         "User or Password in Profile PRD.P00 change !</Text>"),
              std::string::npos)
        << r.out;
  }
  EXPECT_EQ(Count(LibraryCalls(), "logon refused"), 1u) << LibraryCalls();
  EXPECT_EQ(box.ReadFile("PRD.simrfc-logons"), "1\n");
  EXPECT_EQ(Count(box.ReadFile("PRD.P00"), "# Alb Date="), 1u);
}

TEST_P(LibraryE2eTest, FailuresAnswerTheirNumberedMessages) {
  const struct {
    const char* fail;
    const char* message;
  } cases[] = {
      {"fail open", "Error 1011: RFC-Open for PRD failed ! - "},
      {"fail receive ADA_ST04 2 NO_DATA", "Error 1012: Exception.: NO_DATA"},
      {"fail call GET_CPU_ALL 1", "Error 1014: RFC-Failure raised !"},
      {"fail receive RFC_SYSTEM_INFO 3", "Error 1013: Sys-Exception raised !"},
      {"database ORACLE", "Error 1018: DataBase mismatch ! - the database is ORACLE"},
  };
  const std::string profile = box.ReadFile("PRD.P00");
  for (const auto& c : cases) {
    WriteSystem(ProfileFields{}, std::string(kSample) + c.fail + "\n");
    SensorResult r = Scan();
    EXPECT_EQ(r.exit_code, 2) << c.fail;
    EXPECT_EQ(DocumentPart(r.out).rfind("<Prtg>\n<Error>1</Error>\n<Text>" + std::string(c.message), 0),
              0u)
        << c.fail << "\n" << r.out;
    EXPECT_EQ(box.ReadFile("PRD.P00"), profile) << c.fail;
  }
  if (GetParam() != Library::kNetWeaver) return;
  // The network layer's report comes down to its ERROR line and the reason;
  // the NetWeaver path reads and removes no trace file.
  box.WriteFile("Dev_Rfc.Trc", "kept\n");
  WriteSystem(ProfileFields{}, std::string(kSample) + "fail open\n");
  EXPECT_EQ(DocumentPart(Scan().out),
            ErrorDocument("Error 1011: RFC-Open for PRD failed ! - partner 'sapprd01:3302' not "
                          "reached (Connection refused)"));
  WriteSystem(ProfileFields{}, kSample);
  EXPECT_EQ(Scan().exit_code, 0);
  EXPECT_EQ(box.ReadFile("Dev_Rfc.Trc"), "kept\n");
}

TEST_P(LibraryE2eTest, AHangMeetsTheDeadline) {
  WriteSystem(ProfileFields{}, std::string(kSample) + "fail hang ADA_ST04\n");
  SensorResult r = Scan({"PRD", "@", "timeout=2"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_LT(r.seconds, 3.0);
  EXPECT_EQ(DocumentPart(r.out),
            ErrorDocument("Error 1044: No answer from PRD within 2 s (ADA_ST04) !"));
}

TEST_P(LibraryE2eTest, TheMultiSystemRunScansEverySystem) {
  // The NetWeaver library finds a system by host and system number: each
  // has its own instance.
  WriteSystem(ProfileFields{}, std::string(kSample) + "sysnr 02\n");
  for (const auto& [sid, sysnr] : {std::pair{"QAS", "03"}, std::pair{"DEV", "04"}}) {
    ProfileFields fields;
    fields.destination = sid;
    fields.sysnr = sysnr;
    WriteProfile(sid, fields);
    WriteSystem(fields, std::string(kSample) + "sysnr " + sysnr + "\n");
  }
  box.WriteFile("SAP Tessarin.Gbl",
                "# GSNG: AB        ::PRD.P00#QAS.P00#DEV.P00#\n"
                "# GSNX: AB        :Item=LogWrites,Sid,Sensor=\"SAP Quillmeter\"\n");
  SensorResult r = Scan({"global", "ab", "@"});
  EXPECT_EQ(r.exit_code, 0) << r.out;
  for (const char* sid : {"PRD", "QAS", "DEV"})
    EXPECT_NE(r.out.find(Channel(sid, "0")), std::string::npos) << sid << r.out;
  EXPECT_EQ(Count(box.ReadFile("QAS.P00"), "# Alm SAP Tessarin.Gbl:AB/LogWrites Date=20110601 "
                                           "09:05:07 Writes=1200 "),
            1u);
}

// Which library a copy of the sensor loads, with both beside it.
class LibraryChoiceE2eTest : public SensorTest {
 protected:
  void SetUp() override {
    options_.executable = box.Copy(SensorExecutable(), "bin/quillmeter");
    box.Copy(SimulatedLibrary(), "bin/librfc32.so");
    box.Copy(SIMNWRFC_LIBRARY, "bin/libsapnwrfc.so");
    WriteSystem(ProfileFields{}, kSample);
  }
  RunOptions options_;
};

TEST_F(LibraryChoiceE2eTest, TheProfileChoosesAndWithoutAChoiceTheClassicLibraryWins) {
  const struct {
    const char* line;
    bool netweaver;
  } cases[] = {{"", false},
               {"RfcLibrary.:             netweaver\n", true},
               {"RfcLibrary.:             Classic\n", false}};
  for (const auto& c : cases) {
    WriteProfile("PRD", ProfileFields{}, c.line);
    SensorResult r = RunSensor({"PRD", "@"}, options_);
    EXPECT_EQ(r.exit_code, 0) << r.out;
    EXPECT_EQ(r.out.find("/libsapnwrfc.so (NetWeaver ") != std::string::npos, c.netweaver)
        << c.line << r.out;
  }
  WriteProfile("PRD", ProfileFields{}, "RfcLibrary.:             nw\n");
  EXPECT_EQ(DocumentPart(RunSensor({"PRD", "@"}, options_).out),
            ErrorDocument("Error 1003: Invalid Parameter(s) at PRD.P00 found... - RfcLibrary.: "
                          "is neither classic nor netweaver"));
}

TEST_F(LibraryChoiceE2eTest, OnlyTheNetWeaverLibraryAnswersAsTheClassicOneDoes) {
  // A document mode that opens the profile where the command line says.
  WriteProfile("PRD");
  box.WriteFile("bin/Quillmeter.Vorlind", "");
  SensorResult classic = RunSensor({"PRD"}, options_);
  const std::string classic_profile = box.ReadFile("PRD.P00");
  ASSERT_EQ(classic.exit_code, 0) << classic.out;

  Sandbox lonely;
  RunOptions alone;
  alone.executable = lonely.Copy(SensorExecutable(), "bin/quillmeter");
  lonely.Copy(SIMNWRFC_LIBRARY, "bin/libsapnwrfc.so");
  lonely.WriteFile("bin/Quillmeter.Vorlind", "");
  lonely.WriteFile("PRD.P00", ProfileText(ProfileFields{}, ""));
  lonely.WriteFile("PRD.simrfc", box.ReadFile("PRD.simrfc"));
  SensorResult netweaver = lonely.Run({"PRD"}, alone);
  EXPECT_EQ(netweaver.exit_code, 0) << netweaver.out;
  EXPECT_EQ(netweaver.out, classic.out);
  EXPECT_EQ(lonely.ReadFile("PRD.P00"), classic_profile);
}

// A multi-system run's worker keeps the library it loaded: a system whose
// profile chose the other one is scanned in a process of its own.
TEST_F(LibraryChoiceE2eTest, SystemsOfTwoLibrariesNeverShareAWorker) {
  RecordLibraryCalls();
  WriteSystem(ProfileFields{}, std::string(kSample) + "sysnr 02\n");
  WriteProfile("PRD");
  for (const auto& [sid, sysnr, line] :
       {std::tuple{"QAS", "03", "RfcLibrary.:             netweaver\n"},
        std::tuple{"DEV", "04", ""}}) {
    ProfileFields fields;
    fields.destination = sid;
    fields.sysnr = sysnr;
    WriteProfile(sid, fields, line);
    WriteSystem(fields, std::string(kSample) + "sysnr " + sysnr + "\n");
  }
  box.WriteFile("SAP Tessarin.Gbl",
                "# GSNG: AB        ::PRD.P00#QAS.P00#DEV.P00#\n"
                "# GSNX: AB        :Item=LogWrites,Sid,Sensor=\"SAP Quillmeter\"\n");
  SensorResult r = RunSensor({"global", "ab", "@ JOBS=1"}, options_);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_NE(r.out.find("Processed=3, Failed=0"), std::string::npos) << r.out;
  EXPECT_EQ(Count(r.out, "/libsapnwrfc.so (NetWeaver "), 1u) << r.out;
  // One process for both classic systems; QAS's library is never loaded there.
  EXPECT_EQ(Count(LibraryCalls(), "New process\n"), 1u) << LibraryCalls();
}

}  // namespace
}  // namespace quillmeter
