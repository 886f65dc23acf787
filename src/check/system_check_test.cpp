// One system's check over the fake SAP library and the fake platform.
#include "check/system_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "platform/fake_platform.h"
#include "profiles/logon_guard.h"
#include "profiles/profile_text.h"
#include "profiles/system_profile.h"
#include "rfc/fake_sap_system.h"
#include "scan/scan.h"

namespace quillmeter {
namespace {

constexpr const char kDir[] = "/Programme/PRTG Network Monitor/Custom Sensors/ExeXml/";
const std::string kPath = std::string(kDir) + "PRD.P00";

// The lines of `text` that start with `start`.
std::vector<std::string> LinesStarting(const std::string& text, const std::string& start) {
  std::vector<std::string> found;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    if (line.compare(0, start.size(), start) == 0) found.push_back(line);
  return found;
}

// Whether `line` starts with `start`; on failure the line is shown.
::testing::AssertionResult Starts(const std::string& line, const std::string& start) {
  if (line.compare(0, start.size(), start) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << line << "\ndoes not start with\n" << start;
}

class SystemCheckTest : public ::testing::Test {
 protected:
  void SetUp() override { platform.files[kPath] = ProfileText(); }

  // The report of a check of kPath as it stands; code receives Finish's.
  std::string Check() {
    std::ostringstream out, lines;
    SensorContext context(platform, out);
    context.load_library = [&](RfcLibraryChoice, FailureSink&,
                               std::unique_ptr<SapLibrary>* loaded) {
      if (!load.ok()) return load;
      *loaded = library.Lend();
      return Status::Ok();
    };
    SystemCheck check;
    check.file = {kDir, "PRD.P00", kPath, platform.files[kPath]};
    CheckReport report(lines);
    CheckProgress progress(nullptr);
    CheckSystem(context, check, report, progress);
    code = report.Finish();
    EXPECT_EQ(out.str(), "") << "the check writes its report only";
    return lines.str();
  }
  size_t Calls(const std::string& call) const {
    return std::count(library.calls.begin(), library.calls.end(), call);
  }
  FakeSystemSetup& System() { return library.systems["PRD"]; }

  FakePlatform platform;
  FakeSapLibrary library;
  Status load;
  int code = -1;
};

TEST_F(SystemCheckTest, APassingSystemShowsEveryStepAndChangesNothing) {
  const std::string history =
      "# Alg Date=20261207 09:00:00 Writes=1000 WaitBusy=5 RollBacks=7 OverFlows=1\n";
  platform.files[kPath] += history;
  System().monitor_line = MonitorLine("1.234.567", "5", "10", "3");
  const std::string report = Check();
  EXPECT_EQ(code, 0) << report;
  const std::vector<std::string> logon = LinesStarting(report, "[ok]   logon: ");
  ASSERT_EQ(logon.size(), 1u) << report;
  EXPECT_TRUE(Starts(logon[0], "[ok]   logon: PRD, client 100, user MONITOR, language E, in "));
  EXPECT_EQ(
      LinesStarting(report, "[ok]   profile: " + kPath + ": Destination PRD, Client 100, ").size(),
      1u)
      << report;
  for (const char* line : {
           "[ok]   password: the stored password decodes",
           "[ok]   logon guard: none on record",
           "[ok]   RFC library: classic library /fake/librfc32.so, ",
           "[ok]   GET_CPU_ALL: collection time Mon Dec  7 10:11:12 2026",
           "[ok]   RFC_SYSTEM_INFO: database system ADABAS D (MaxDB), host sapprd01",
           "[ok]   ADA_ST04: ",
           "[ok]   history: last sample of 20261207: # Alg Date=20261207 09:00:00 Writes=1000 "
           "WaitBusy=5 RollBacks=7 OverFlows=1; the sensor can replace the profile",
           "The sensor would answer: (PRD) Logging: LogWrites=1.233.567, WaitBusy=0, RollBacks=3, "
           "OverFlows=2",
           "Result: no problems",
       })
    EXPECT_EQ(LinesStarting(report, line).size(), 1u) << line << "\n" << report;
  EXPECT_EQ(LinesStarting(report, "[").size(), 9u) << report;
  EXPECT_NE(LinesStarting(report, "[ok]   ADA_ST04: ")[0].find(" 1234567"), std::string::npos)
      << "counters as read: " << report;
  // No history line, no probe file left, the library's trace kept.
  EXPECT_EQ(platform.files[kPath], ProfileText() + history);
  EXPECT_EQ(platform.files.size(), 1u);
  EXPECT_EQ(Calls("DiscardTrace"), 0u);
  EXPECT_EQ(Calls("Open PRD"), Calls("Close PRD"));
}

TEST_F(SystemCheckTest, APasswordFaultStillJudgesTheOtherKeys) {
  ProfileFields fields;
  fields.destination = "PR";
  std::string text = ProfileText(fields);
  const std::string stored = StoredPassword(fields.password);
  text.replace(text.find(stored), stored.size(), stored.substr(1));
  platform.files[kPath] = text;
  const std::string report = Check();
  EXPECT_EQ(code, 1);
  const std::vector<std::string> failed = LinesStarting(report, "[FAIL] ");
  ASSERT_EQ(failed.size(), 2u) << report;
  EXPECT_TRUE(
      Starts(failed[0], "[FAIL] profile: Error 1003: Invalid Parameter(s) at PRD.P00 found... - "));
  EXPECT_NE(failed[0].find("Destination"), std::string::npos) << failed[0];
  EXPECT_TRUE(Starts(
      failed[1], "[FAIL] password: Error 1004: Invalid Password in Profile PRD.P00 found... - "));
  EXPECT_NE(
      failed[1].find("to fix: write the password anew with: quillmeter-password \"" + kPath + "\""),
      std::string::npos)
      << failed[1];
  // The sensor stops at the password.
  EXPECT_EQ(LinesStarting(report, "The sensor would answer: Error 1004: ").size(), 1u) << report;
  EXPECT_TRUE(library.calls.empty());
  EXPECT_EQ(LinesStarting(report, "[ok]   history: ").size(), 1u) << report;
}

TEST_F(SystemCheckTest, ARefusedLogonSetsTheGuardThatThenHolds) {
  System().FailOpen(Status::Refused("Error 1011: RFC-Open for PRD failed !", "User is locked"));
  std::string report = Check();
  EXPECT_EQ(code, 1);
  std::vector<std::string> failed = LinesStarting(report, "[FAIL] ");
  ASSERT_EQ(failed.size(), 1u) << report;
  EXPECT_TRUE(
      Starts(failed[0],
             "[FAIL] logon: Error 1011: RFC-Open for PRD failed ! - User is locked - the guard is "
             "set: no logon is sent again - to fix: "));
  EXPECT_EQ(LinesStarting(report,
                          "The sensor would answer: Error 1045: Logon to PRD as MONITOR "
                          "refused on 20261207 10:11:12 - User is locked")
                .size(),
            1u)
      << report;
  // The guard line and nothing else: no sample, no other change.
  const std::string after = platform.files[kPath];
  ASSERT_EQ(after.substr(0, ProfileText().size()), ProfileText());
  const std::string guard = after.substr(ProfileText().size());
  EXPECT_EQ(guard.substr(0, 35), "# Alb Date=20261207 10:11:12 Logon=") << guard;
  EXPECT_EQ(std::count(guard.begin(), guard.end(), '\n'), 1) << guard;

  // The next check sends no logon while the guard holds.
  library.calls.clear();
  report = Check();
  EXPECT_EQ(code, 1);
  failed = LinesStarting(report, "[FAIL] ");
  ASSERT_EQ(failed.size(), 1u) << report;
  EXPECT_TRUE(Starts(
      failed[0],
      "[FAIL] logon guard: the logon to PRD as MONITOR was refused on 20261207 10:11:12 (User "
      "is locked): no logon is sent while it holds - to fix: "));
  EXPECT_NE(failed[0].find("quillmeter-password --retry \"" + kPath + "\""), std::string::npos);
  EXPECT_EQ(Calls("Open PRD"), 0u) << report;
  EXPECT_EQ(platform.files[kPath], after);
}

TEST_F(SystemCheckTest, ALibraryThatDoesNotLoadSaysWhereItBelongsAndSendsNoLogon) {
  load = Status::Error("Error 1010: RFC library not found !", "librfc32.so: no such file");
  const std::string report = Check();
  EXPECT_EQ(code, 1);
  const std::vector<std::string> failed = LinesStarting(report, "[FAIL] ");
  ASSERT_EQ(failed.size(), 1u) << report;
  EXPECT_TRUE(Starts(
      failed[0],
      "[FAIL] RFC library: Error 1010: RFC library not found ! - librfc32.so: no such file - "
      "to fix: put"));
  EXPECT_NE(failed[0].find("beside this program (/opt/quillmeter/)"), std::string::npos)
      << failed[0];
  EXPECT_TRUE(library.calls.empty());
  EXPECT_EQ(LinesStarting(report, "[ok]   history: no sample on record").size(), 1u) << report;
  EXPECT_EQ(LinesStarting(report, "The sensor would answer: Error 1010: ").size(), 1u) << report;
}

TEST_F(SystemCheckTest, ANonMaxDbDatabaseEndsTheRemoteSteps) {
  System().Database("ORACLE    ");
  const std::string report = Check();
  EXPECT_EQ(code, 1);
  const std::vector<std::string> failed = LinesStarting(report, "[FAIL] ");
  ASSERT_EQ(failed.size(), 1u) << report;
  EXPECT_TRUE(Starts(
      failed[0], "[FAIL] RFC_SYSTEM_INFO: the database system is ORACLE, not MaxDB - to fix: "));
  EXPECT_TRUE(LinesStarting(report, "[ok]   ADA_ST04").empty()) << report;
  EXPECT_EQ(LinesStarting(report,
                          "The sensor would answer: Error 1018: DataBase mismatch ! - the "
                          "database is ORACLE")
                .size(),
            1u)
      << report;
  EXPECT_EQ(Calls("ReadMonitorLine PRD"), 0u);
  EXPECT_EQ(platform.files[kPath], ProfileText());
}

TEST(CheckStepNameTest, TheOpenAndItsWaitsAreTheLogon) {
  EXPECT_EQ(CheckStepName(std::string(ScanStepName(ScanStep::kOpen))), "logon");
  EXPECT_EQ(CheckStepName("waiting for SapRfc.lck, held by the scan of HNG"), "logon");
  EXPECT_EQ(CheckStepName("ADA_ST04"), "ADA_ST04");
  EXPECT_EQ(CheckStepName(""), "");
}

}  // namespace
}  // namespace quillmeter
