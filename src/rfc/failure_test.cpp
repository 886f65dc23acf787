#include "rfc/failure.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "platform/fake_platform.h"
#include "rfc/fake_librfc.h"
#include "rfc/rfc_library.h"
#include "rfc/rfc_loader.h"

namespace quillmeter {
namespace {

class FailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFakeLibrfc();
    ServeFakeLibrfc(platform, platform.executable_dir + RfcLibraryFileName());
  }

  // The hint ScanTraceFile appends for a trace file holding `contents`.
  std::string HintFor(const std::string& contents) {
    platform.files["Dev_Rfc.Trc"] = contents;
    RunState run(platform, out);
    ScanTraceFile(run);
    return run.result.str();
  }

  // Runs `report` on a run with the fake library registered; returns the
  // exit code it ended with.
  int ExitCodeOf(const std::function<void(RunState&)>& report) {
    RunState run(platform, out);
    EXPECT_TRUE(LoadRfcLibrary(run));
    RegisterRfcEnvironment(run);
    try {
      report(run);
    } catch (const ExitCalled& exit) {
      return exit.code;
    }
    return -1;
  }

  FakePlatform platform;
  std::ostringstream out;
};

TEST_F(FailureTest, NoTraceFileAsksToLookForIt) {
  RunState run(platform, out);
  run.result.Set("Error 1014: RFC-Failure raised !");
  ScanTraceFile(run);
  EXPECT_EQ(run.result.str(), "Error 1014: RFC-Failure raised ! - Look for Trace-File");
}

TEST_F(FailureTest, TraceScanTakesLastMessageOfLastSection) {
  const std::string long_text(120, 'x');
  const struct {
    std::string contents;
    std::string hint;
  } cases[] = {
      {"", " - Please Check Trace-File !"},
      {"**** ERROR file opened\nERROR       partner not reached\n", " - partner not reached"},
      {"ERROR       first\nT:1234 ======> second\n", " - second"},
      {"T:1234 ======> first\nERROR       second\n", " - second"},
      // The last "**** ERROR " section has no message of its own.
      {"**** ERROR a\nERROR       old\n**** ERROR b\nplain line\n", " - Please Check Trace-File !"},
      {"ERROR       old\n**** ERROR b\n", " - Please Check Trace-File !"},
      {"**** ERROR a\nERROR       old\n**** ERROR b\nERROR       new\n", " - new"},
      // Positions count from 1: the message starts at the 13th character.
      {"ERROR short\n", " - Please Check Trace-File !"},
      {"ERROR       X\n", " - X"},
      {"ERRORS      none\n", " - Please Check Trace-File !"},
      {"1234567======> at column eight\n", " - at column eight"},
      {"12345678======> at column nine\n", " - Please Check Trace-File !"},
      {"1234567======> \n", " - Please Check Trace-File !"},
      {"ERROR       windows line\r\n", " - windows line"},
      {"ERROR       last line without end", " - last line without end"},
      // A long line is read in pieces of 99: the message is the first piece's
      // rest, and a piece boundary can start a new match.
      {"ERROR       " + long_text + "\n", " - " + long_text.substr(0, 87)},
      {std::string(99, 'y') + "ERROR       tail\n", " - tail"},
      // Binary content: a NUL ends the piece, other bytes pass.
      {std::string("ERROR       ab\0cd\n", 18), " - ab"},
      {std::string("\0\xff\xfe======> \x01\n", 14), " - Please Check Trace-File !"},
  };
  for (const auto& c : cases) EXPECT_EQ(HintFor(c.contents), c.hint) << c.contents;
}

TEST_F(FailureTest, TraceScanSurvivesLargeBinaryFile) {
  std::string junk;
  for (int i = 0; i < 200000; ++i) junk.push_back(static_cast<char>(i * 7919 % 256));
  std::string hint = HintFor(junk + "\nERROR       found\n");
  EXPECT_EQ(hint, " - found");
}

TEST_F(FailureTest, PrintFieldAlignsLabel) {
  const struct {
    const char* label;
    int indent, width;
    const char* line;
  } cases[] = {
      {"key", 0, 15, "key             : K\n"},
      {"internal status", 0, 15, "internal status : K\n"},
      {"key", 2, 5, "  key   : K\n"},
      {"a longer label", 0, 4, "a longer label : K\n"},
  };
  for (const auto& c : cases) {
    std::ostringstream line;
    PrintField(line, c.label, c.indent, c.width, "K");
    EXPECT_EQ(line.str(), c.line) << c.label;
  }
}

TEST_F(FailureTest, ReportPrintsLastErrorClosesAllAndExitsWithOne) {
  FakeLibrfc& fake = TheFakeLibrfc();
  std::strcpy(fake.last_error.key, "LOGON_FAILURE");
  std::strcpy(fake.last_error.status, "simulated");
  std::strcpy(fake.last_error.message, "wrong password");
  std::strcpy(fake.last_error.intstat, "RfcOpen");
  EXPECT_EQ(ExitCodeOf([](RunState& run) { ReportRfcFailure(run, "ItCreate TF_CPU_ALL"); }), 1);
  EXPECT_EQ(out.str(),
            "RFC error\n"
            "operation/code  : ItCreate TF_CPU_ALL\n"
            "key             : LOGON_FAILURE\n"
            "status          : simulated\n"
            "message         : wrong password\n"
            "internal status : RfcOpen\n"
            "\n"
            "* Programm aborted...\n");
  EXPECT_EQ(fake.calls.back(), "RfcClose 0");
}

TEST_F(FailureTest, UnterminatedErrorFieldsAreCutAtTheirSize) {
  std::memset(&TheFakeLibrfc().last_error, 'K', sizeof(RFC_ERROR_INFO));
  EXPECT_EQ(ExitCodeOf([](RunState& run) { ReportRfcFailure(run, "op"); }), 1);
  EXPECT_NE(out.str().find("key             : " + std::string(33, 'K') + "\n"), std::string::npos);
  EXPECT_NE(out.str().find("internal status : " + std::string(128, 'K') + "\n"), std::string::npos);
}

TEST_F(FailureTest, LibraryErrorHandlerReportsTheRun) {
  int code = ExitCodeOf([](RunState&) {
    char text[] = "RfcCall ADA_ST04";
    TheFakeLibrfc().environment.errorhandler(text);
  });
  EXPECT_EQ(code, 1);
  EXPECT_EQ(TheFakeLibrfc().environment.allocate, nullptr);
  EXPECT_EQ(out.str().rfind("RFC error\noperation/code  : RfcCall ADA_ST04\n", 0), 0u);
}

TEST_F(FailureTest, HandlerCalledAgainDuringReportDoesNotReportTwice) {
  TheFakeLibrfc().on_close = [] {
    char text[] = "again";
    TheFakeLibrfc().environment.errorhandler(text);
  };
  EXPECT_EQ(ExitCodeOf([](RunState& run) { ReportRfcFailure(run, "first"); }), 1);
  EXPECT_EQ(out.str().find("again"), std::string::npos);
  EXPECT_EQ(out.str().find("RFC error", 1), std::string::npos);
  EXPECT_EQ(out.str().find("* Programm aborted...\n"), out.str().size() - 22);
  // The guard is released after the report.
  TheFakeLibrfc().on_close = nullptr;
  out.str("");
  EXPECT_EQ(ExitCodeOf([](RunState& run) { ReportRfcFailure(run, "second"); }), 1);
  EXPECT_NE(out.str().find("* Programm aborted..."), std::string::npos);
}

}  // namespace
}  // namespace quillmeter
