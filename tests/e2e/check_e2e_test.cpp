// quillmeter-check end to end: the built check walks a scan's steps against
// simulated systems, one line per step, and changes nothing but the guard.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>
#include <tuple>

#include "sensor_fixture.h"

namespace quillmeter {
namespace {

namespace fs = std::filesystem;

constexpr char kSample[] =
    "lastcoll Wed Jun  1 09:05:07 2011\nst04line\nLOGPAGES 1200\nLOGWAITS 30\nQUEUEOVER 2\n";
constexpr char kFix[] = " - to fix: ";
const std::vector<std::string> kSystemSteps = {
    "output mode", "sensor folder", "profile",         "password", "logon guard", "RFC library",
    "logon",       "GET_CPU_ALL",   "RFC_SYSTEM_INFO", "ADA_ST04", "history"};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The first line of `out` starting with `start`; "" for none.
std::string LineOf(const std::string& out, const std::string& start) {
  for (const std::string& line : Lines(out))
    if (line.rfind(start, 0) == 0) return line;
  return std::string();
}

// The line of `step` with `tag` ("[ok]  ", "[warn]", "[FAIL]").
std::string StepLine(const std::string& out, const std::string& tag, const std::string& step,
                     const std::string& prefix = "") {
  return LineOf(out, prefix + tag + " " + step + ": ");
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class CheckE2eTest : public SensorTest {
 protected:
  void SetUp() override {
    WriteProfile("PRD");
    WriteSystem(ProfileFields{}, kSample);
    RecordLibraryCalls();
  }

  SensorResult Check(const std::vector<std::string>& args, RunOptions options = {}) {
    if (options.executable.empty()) options.executable = CHECK_EXE;
    return box.Run(args, options);
  }

  // Every file of the sandbox but the simulated library's call log, with
  // its contents.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(box.dir())) {
      const std::string name = fs::relative(entry.path(), box.dir()).string();
      if (entry.is_regular_file() && name != "SimRfc.log") files[name] = box.ReadFile(name);
    }
    return files;
  }

  // Checks that `r` failed at `step` for `why`, with a remedy naming `fix`,
  // and that the sensor would answer `answer`.
  static void ExpectFail(const SensorResult& r, const std::string& step, const std::string& why,
                         const std::string& fix, const std::string& answer) {
    const std::string line = StepLine(r.out, "[FAIL]", step);
    EXPECT_TRUE(Has(line, why)) << r.out;
    const size_t remedy = line.find(kFix);
    EXPECT_TRUE(remedy != std::string::npos && Has(line.substr(remedy), fix)) << r.out;
    EXPECT_TRUE(Has(LineOf(r.out, "The sensor would answer: "), answer)) << r.out;
    EXPECT_EQ(r.exit_code, 1) << r.out;
  }
};

TEST_F(CheckE2eTest, APassingSetupIsOkStepByStepAndLeavesTheFolderAsItWas) {
  box.WriteFile("Dev_Rfc.Trc", "an earlier trace\n");
  const auto before = Files();
  SensorResult r = Check({"PRD", "@"});
  EXPECT_EQ(r.exit_code, 0) << r.out;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), kSystemSteps.size() + 2) << r.out;
  for (size_t i = 0; i < kSystemSteps.size(); ++i)
    EXPECT_EQ(lines[i].rfind("[ok]   " + kSystemSteps[i] + ": ", 0), 0u) << lines[i];
  EXPECT_TRUE(Has(StepLine(r.out, "[ok]  ", "logon"), "PRD, client 100, user MONITOR"));
  EXPECT_TRUE(Has(StepLine(r.out, "[ok]  ", "ADA_ST04"), "1200")) << r.out;
  EXPECT_TRUE(Has(StepLine(r.out, "[ok]  ", "RFC_SYSTEM_INFO"), "ADABAS D (MaxDB)")) << r.out;
  EXPECT_TRUE(Has(StepLine(r.out, "[ok]  ", "history"), "no sample on record")) << r.out;
  EXPECT_EQ(lines[lines.size() - 2],
            "The sensor would answer: (PRD) Logging: LogWrites=0, "
            "WaitBusy=0, RollBacks=0, OverFlows=0");
  EXPECT_EQ(lines.back(), "Result: no problems");
  // No history, no trace removed, the write probe's temporary gone.
  EXPECT_EQ(Files(), before);
  EXPECT_EQ(Count(LibraryCalls(), "RfcOpen "), 1u) << LibraryCalls();
}

TEST_F(CheckE2eTest, TheSensorFolderSearchNamesEveryFolderAndWhereTheProfileBelongs) {
  fs::create_directories(box.Path("empty"));
  RunOptions empty;
  empty.subdir = "empty";
  SensorResult r = Check({"PRD"}, empty);
  std::string searched = "searched: " + fs::canonical(box.Path("empty")).string() + "/";
  for (const char* programs : {"Programme", "Program Files", "Program Files (x86)"})
    searched += "; /" + std::string(programs) + "/PRTG Network Monitor/Custom Sensors/ExeXml/";
  ExpectFail(r, "sensor folder", "Error 1002: Profile PRD.P00 is missing... - " + searched,
             "copy PRD.P00 into PRTG's folder for EXE/XML sensors, Custom Sensors/EXEXML",
             "Error 1002: Profile PRD.P00 is missing...");
  EXPECT_TRUE(Has(r.out, "[ok]   output mode: EXEXML")) << r.out;
  EXPECT_EQ(LineOf(r.out, "[ok]   profile"), "") << "the check ends where the scan would";

  // Found, but in no sensor folder.
  r = Check({"PRD"});
  ExpectFail(r, "sensor folder",
             "Sorry, invalid Path-Usage... - not an EXEXML sensor folder: " +
                 fs::canonical(box.dir()).string() + "/",
             "EXEXML folder", "Sorry, invalid Path-Usage...");

  // The current folder, when it is one.
  const std::string folder = "PRTG Network Monitor/Custom Sensors/EXEXML";
  box.WriteFile(folder + "/PRD.P00", ProfileText());
  box.WriteFile(folder + "/PRD.simrfc", box.ReadFile("PRD.simrfc"));
  RunOptions in_folder;
  in_folder.subdir = folder;
  r = Check({"PRD"}, in_folder);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_TRUE(Has(StepLine(r.out, "[ok]  ", "sensor folder"), "found through the current folder"))
      << r.out;
}

TEST_F(CheckE2eTest, ProfileAndPasswordFaultsNameTheKeyAndTheRemedy) {
  const std::string whole = ProfileText();
  const std::string stored = StoredPassword(ProfileFields().password);
  auto replaced = [&](const std::string& text, const std::string& from, const std::string& to) {
    std::string changed = text;
    return changed.replace(changed.find(from), from.size(), to);
  };
  const std::string path = fs::canonical(box.dir()).string() + "/PRD.P00";
  const std::string tool = "quillmeter-password \"" + path + "\"";

  // A short value: no logon with it.
  box.WriteFile("PRD.P00",
                replaced(whole, "Client.....:             100", "Client.....:             10"));
  SensorResult r = Check({"PRD", "@"});
  ExpectFail(r, "profile", "Client.....: shorter than 3 characters", "its value starts in column 25",
             "Error 1003: Invalid Parameter(s) at PRD.P00 found...");
  EXPECT_EQ(LibraryCalls().find("RfcOpen"), std::string::npos) << LibraryCalls();

  // A mistyped key: the key is missing, and the typo is pointed at.
  box.WriteFile("PRD.P00", replaced(whole, "Destination:", "Destinaton.:"));
  r = Check({"PRD", "@"});
  ExpectFail(r, "profile", "Error 1003", "a key is the line's first 12 characters",
             "Error 1003: Invalid Parameter(s) at PRD.P00 found...");
  EXPECT_TRUE(Has(StepLine(r.out, "[warn]", "profile"), "\"Destinaton.:\"")) << r.out;

  // A stored form cut short: the other keys are judged all the same.
  box.WriteFile("PRD.P00", replaced(whole, stored, stored.substr(0, 23)));
  r = Check({"PRD", "@"});
  ExpectFail(r, "password", "Error 1004: Invalid Password in Profile PRD.P00 found...", tool,
             "Error 1004: Invalid Password in Profile PRD.P00 found...");
  EXPECT_TRUE(Has(StepLine(r.out, "[ok]  ", "profile"), "Destination PRD, Client 100")) << r.out;

  // No password and a bad key: both named.
  const std::string password_line = whole.substr(whole.find("Password...:"), 25 + 24 + 1);
  box.WriteFile("PRD.P00", replaced(replaced(whole, password_line, ""),
                                    "Client.....:             100", "Client.....:             10"));
  r = Check({"PRD", "@"});
  ExpectFail(r, "password", "Error 1007: Password in Profile PRD.P00 is missing...", tool,
             "Error 10");
  EXPECT_TRUE(Has(StepLine(r.out, "[FAIL]", "profile"), "Client.....: shorter")) << r.out;
  EXPECT_EQ(LibraryCalls().find("RfcOpen"), std::string::npos) << LibraryCalls();
}

TEST_F(CheckE2eTest, CredentialsFromPrtgAreCheckedInTheConsolesEnvironment) {
  WriteProfile("PRD", {}, "Credentials:             prtg-windows\n");
  SensorResult r = Check({"PRD", "@"});
  ExpectFail(r, "password", "Error 1047: Credentials of PRD.P00 come from PRTG",
             "set prtg_windowsuser and prtg_windowspassword in this console",
             "Error 1047: Credentials of PRD.P00 come from PRTG");
  EXPECT_TRUE(Has(StepLine(r.out, "[ok]  ", "profile"), "User from PRTG")) << r.out;

  // Set, they log on; the profile's own User and Password lines are left over.
  RunOptions prtg;
  prtg.environment = {{"prtg_windowsuser", "monitor"}, {"prtg_windowspassword", "Secret12"}};
  r = Check({"PRD", "@"}, prtg);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_TRUE(Has(StepLine(r.out, "[ok]  ", "password"), "prtg_windowsuser")) << r.out;
  EXPECT_TRUE(Has(StepLine(r.out, "[warn]", "password"), "not used")) << r.out;
  EXPECT_NE(StepLine(r.out, "[ok]  ", "logon"), "") << r.out;
}

TEST_F(CheckE2eTest, WithoutAnRfcLibraryTheFilesTriedAndTheSdkAreNamed) {
  // A copy of the check alone: no library beside it.
  RunOptions alone;
  alone.executable = box.Copy(CHECK_EXE, "bin/quillmeter-check");
  SensorResult r = Check({"PRD", "@"}, alone);
  const std::string line = StepLine(r.out, "[FAIL]", "RFC library");
  // Every file tried, and why it failed.
  for (const char* tried : {"librfc32.so cannot be loaded", "libsapnwrfc.so cannot be loaded",
                            "/bin/librfc32.so: cannot open shared object file"})
    EXPECT_TRUE(Has(line, tried)) << tried << "\n" << r.out;
  EXPECT_TRUE(Has(line.substr(std::min(line.find(kFix), line.size())),
                  "librfc32.so of the classic RFC SDK, or libsapnwrfc.so"))
      << r.out;
  EXPECT_TRUE(Has(line, fs::canonical(box.Path("bin")).string())) << r.out;
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(LineOf(r.out, "[ok]   logon: "), "") << r.out;
  EXPECT_NE(StepLine(r.out, "[ok]  ", "history"), "") << r.out;
}

TEST_F(CheckE2eTest, RemoteFailuresNameTheirStepAndWhatToAllow) {
  struct Case {
    std::string description, step, why, fix, answer;
  } cases[] = {
      {"fail open", "logon", "Error 1011: RFC-Open for PRD failed !", "check Hostname, Sysnr",
       "Error 1011"},
      {"fail receive GET_CPU_ALL 3", "GET_CPU_ALL", "Error 1013: Sys-Exception raised !",
       "allow GET_CPU_ALL for the RFC user (S_RFC", "Error 1013"},
      {"fail call RFC_SYSTEM_INFO 1", "RFC_SYSTEM_INFO", "Error 1014: RFC-Failure raised !",
       "allow RFC_SYSTEM_INFO for the RFC user", "Error 1014"},
      {"fail receive ADA_ST04 2 NO_DATA", "ADA_ST04", "Error 1012: Exception.: NO_DATA",
       "allow ADA_ST04 for the RFC user", "Error 1012"},
      {"database ORACLE", "RFC_SYSTEM_INFO", "the database system is ORACLE, not MaxDB",
       "needs another sensor", "Error 1018: DataBase mismatch !"},
  };
  const std::string profile = box.ReadFile("PRD.P00");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.description);
    WriteSystem(ProfileFields{}, kSample + c.description + "\n");
    SensorResult r = Check({"PRD", "@"});
    ExpectFail(r, c.step, c.why, c.fix, c.answer);
    EXPECT_EQ(Count(r.out, "[FAIL]"), 1u) << r.out;
    EXPECT_NE(StepLine(r.out, "[ok]  ", "history"), "") << r.out;
    EXPECT_EQ(LineOf(r.out, "Result: "), "Result: 1 problem(s)");
  }
  // A destination the library does not know.
  WriteProfile("PRD", ProfileFields{.destination = "XYZ"});
  SensorResult r = Check({"PRD", "@"});
  ExpectFail(r, "logon", "Error 1011: RFC-Open for XYZ failed !", "Destination", "Error 1011");
  EXPECT_TRUE(box.Exists("Dev_Rfc.Trc")) << "the check leaves the library's trace";
  WriteProfile("PRD");
  EXPECT_EQ(box.ReadFile("PRD.P00"), profile);
}

TEST_F(CheckE2eTest, AProfileFolderThatCannotBeWrittenFailsTheHistory) {
  const std::string profile = box.ReadFile("PRD.P00");
  RunOptions options;
  if (!MakeFolderReadOnly(&options)) GTEST_SKIP() << "the directory does not bind the check";
  SensorResult r = Check({"PRD", "@"}, options);
  ExpectFail(r, "history", "the profile cannot be replaced",
             "create, rename and delete files in " + fs::canonical(box.dir()).string(),
             "Error 1016: ReWriting of Profile PRD.P00 failed !");
  EXPECT_NE(StepLine(r.out, "[ok]  ", "ADA_ST04"), "") << r.out;
  EXPECT_EQ(box.ReadFile("PRD.P00"), profile);
}

TEST_F(CheckE2eTest, ARefusedLogonSetsTheGuardOnceAndNothingLogsOnAgain) {
  // The password was changed in SAP, not yet in the profile.
  WriteSystem(ProfileFields{.password = "Changed99"}, kSample);
  const std::string profile = box.ReadFile("PRD.P00");
  const std::string retry =
      "quillmeter-password --retry \"" + fs::canonical(box.dir()).string() + "/PRD.P00\"";
  SensorResult r = Check({"PRD", "@"});
  ExpectFail(r, "logon", "Name or password is incorrect", retry, "Error 1045: Logon to PRD");
  const std::string guarded = box.ReadFile("PRD.P00");
  ASSERT_EQ(guarded.substr(0, profile.size()), profile);
  EXPECT_TRUE(
      std::regex_match(guarded.substr(profile.size()),
                       std::regex("# Alb Date=\\d{8} \\d\\d:\\d\\d:\\d\\d Logon=[0-9a-f]{16}"
                                  " Name or password is incorrect \\(repeat logon\\)\n")))
      << guarded;

  // While the guard holds, neither the check nor a scan logs on.
  r = Check({"PRD", "@"});
  ExpectFail(r, "logon guard", "no logon is sent while it holds", retry,
             "Error 1045: Logon to PRD as MONITOR refused on ");
  EXPECT_EQ(LineOf(r.out, "[FAIL] logon:"), "") << r.out;
  SensorResult scan = RunSensor({"PRD", "@"});
  EXPECT_EQ(scan.exit_code, 2) << scan.out;
  EXPECT_EQ(Count(LibraryCalls(), "RfcOpen "), 1u) << LibraryCalls();
  EXPECT_EQ(box.ReadFile("PRD.P00"), guarded);
}

TEST_F(CheckE2eTest, AHungStepFailsWithinTheTimeout) {
  std::string last;
  for (const auto& [description, step, what] :
       {std::tuple{"fail hang open", "logon", "RfcOpen"},
        std::tuple{"fail hang ADA_ST04", "ADA_ST04", "ADA_ST04"}}) {
    SCOPED_TRACE(description);
    WriteSystem(ProfileFields{}, kSample + std::string(description) + "\n");
    SensorResult r = Check({"PRD", "@ TIMEOUT=2"});
    EXPECT_LT(r.seconds, 10) << r.out;
    ExpectFail(r, step, "no answer from PRD within 2 s", "TIMEOUT=",
               std::string("Error 1044: No answer from PRD within 2 s (") + what + ") !");
    EXPECT_EQ(Lines(r.out).back(), "Result: 1 problem(s)") << r.out;
    last = r.out;
  }
  // The steps before the hang at ADA_ST04 still show as they passed.
  EXPECT_FALSE(StepLine(last, "[ok]  ", "RFC_SYSTEM_INFO").empty()) << last;
}

TEST_F(CheckE2eTest, AListingChecksEverySystemAndSumsUpEach) {
  for (const char* sid : {"QAS", "DEV"}) {
    WriteProfile(sid, ProfileFields{.destination = sid});
    WriteSystem(ProfileFields{.destination = sid},
                kSample + std::string(sid == std::string("QAS") ? "database ORACLE\n" : ""));
  }
  box.WriteFile("Tessarin.Prf",
                "# Tessarin item profile\n# Gsng: systems     "
                "PRD.P00#QAS.P00#DEV.P00#\n");
  const auto before = Files();
  SensorResult r = Check({"x", "ITEM=LogWrites", "@"});
  EXPECT_EQ(r.exit_code, 1) << r.out;
  EXPECT_TRUE(Has(StepLine(r.out, "[ok]  ", "listing"), "Tessarin.Prf")) << r.out;
  EXPECT_TRUE(Has(StepLine(r.out, "[ok]  ", "listing"), "LogWrites")) << r.out;
  size_t last = 0;
  for (const char* sid : {"PRD.P00: ", "QAS.P00: ", "DEV.P00: "}) {
    const size_t at = r.out.find(std::string(sid) + "[ok]   profile: ");
    EXPECT_GT(at, last) << "each system in list order:\n" << r.out;
    last = at;
  }
  EXPECT_NE(StepLine(r.out, "[ok]  ", "ADA_ST04", "PRD.P00: "), "") << r.out;
  EXPECT_TRUE(Has(StepLine(r.out, "[FAIL]", "RFC_SYSTEM_INFO", "QAS.P00: "),
                  "not MaxDB" + std::string(kFix)))
      << r.out;
  EXPECT_NE(StepLine(r.out, "[ok]  ", "ADA_ST04", "DEV.P00: "), "") << r.out;
  for (const char* summary : {"PRD.P00: ok", "DEV.P00: ok"})
    EXPECT_EQ(Count(r.out, std::string("\n") + summary + "\n"), 1u) << r.out;
  const std::string qas = LineOf(r.out, "QAS.P00: RFC_SYSTEM_INFO: ");
  EXPECT_TRUE(Has(qas, "ORACLE") && !Has(qas, kFix)) << r.out;
  EXPECT_EQ(LineOf(r.out, "Result: "), "Result: 1 problem(s)");
  EXPECT_EQ(Files(), before);
}

TEST_F(CheckE2eTest, TheNetWeaverLibraryIsNamedWithItsVersion) {
  RunOptions netweaver;
  netweaver.executable = box.Copy(CHECK_EXE, "bin/quillmeter-check");
  box.Copy(SIMNWRFC_LIBRARY, "bin/libsapnwrfc.so");
  WriteProfile("PRD", {}, "RfcLibrary.:             netweaver\n");
  SensorResult r = Check({"PRD", "@"}, netweaver);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  const std::string line = StepLine(r.out, "[ok]  ", "RFC library");
  EXPECT_TRUE(std::regex_search(line, std::regex("NetWeaver library [^,]*/bin/libsapnwrfc\\.so, "
                                                 "64-bit, version \\d+\\.\\d+\\.\\d+ \\(RfcLibrary"
                                                 "\\.: netweaver\\)$")))
      << r.out;
}

TEST_F(CheckE2eTest, ArgumentsItCannotStartWithGiveTheUsage) {
  SensorResult r = Check({});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_TRUE(Has(r.out, "Usage: quillmeter-check PROFILE")) << r.out;
  r = Check({std::string(60, 'p'), "@"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.out.rfind("quillmeter-check: Error 1008: Profile-Name too long !", 0), 0u) << r.out;
  EXPECT_TRUE(Has(r.out, "Usage: quillmeter-check PROFILE")) << r.out;
}

}  // namespace
}  // namespace quillmeter
