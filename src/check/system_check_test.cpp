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

TEST(CheckStepNameTest, TheOpenAndItsWaitsAreTheLogon) {
  EXPECT_EQ(CheckStepName(std::string(ScanStepName(ScanStep::kOpen))), "logon");
  EXPECT_EQ(CheckStepName("waiting for SapRfc.lck, held by the scan of HNG"), "logon");
  EXPECT_EQ(CheckStepName("ADA_ST04"), "ADA_ST04");
  EXPECT_EQ(CheckStepName(""), "");
}

}  // namespace
}  // namespace quillmeter
