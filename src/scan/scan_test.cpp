#include "scan/scan.h"

#include <gtest/gtest.h>

#include "rfc/fake_sap_system.h"

namespace quillmeter {
namespace {

class ScanTest : public ::testing::Test {
 protected:
  ScanTest() {
    request.open.profile.destination = "PRD";
    request.profile_text = "Destination:            PRD\n";
  }
  ScanResult Scan() {
    library.calls.clear();
    std::unique_ptr<SapSystem> system = library.NewSystem(CallLog());
    return ScanSystem(*system, request);
  }
  FakeSystemSetup& System() { return library.systems["PRD"]; }

  FakeSapLibrary library;
  ScanRequest request;
};

TEST_F(ScanTest, MeasuresGrowthSinceThePreviousSampleAndClosesFirst) {
  request.profile_text +=
      "# Alg Date=20261207 09:00:00 Writes=100 WaitBusy=5 RollBacks=7 OverFlows=1\n";
  System().monitor_line = MonitorLine("150", "5", "9", "1");
  System().console_note = "* note";
  ScanResult result = Scan();
  EXPECT_EQ(result.step, ScanStep::kDone);
  EXPECT_TRUE(result.status.ok());
  EXPECT_EQ(result.console_note, "* note");
  EXPECT_EQ(result.growth, (Counters{50, 0, 2, 0}));
  ASSERT_TRUE(result.history);
  EXPECT_EQ(result.history->line,
            "# Alg Date=20261207 10:11:12 Writes=150 WaitBusy=5 RollBacks=9 OverFlows=1");
  EXPECT_EQ(library.calls,
            (std::vector<std::string>{"NewSystem", "Open PRD", "ReadCollectionTime PRD",
                                      "ReadSystemInfo PRD", "ReadMonitorLine PRD", "Close PRD"}));
}

TEST_F(ScanTest, AnUnchangedSampleNeedsNoRewrite) {
  request.history = HistoryKey{"Tessarin.Prf/LogWrites"};
  request.profile_text +=
      "# Alm Tessarin.Prf/LogWrites Date=20261207 09:00:00 Writes=150 WaitBusy=0 RollBacks=0 "
      "OverFlows=0\n";
  System().monitor_line = MonitorLine("150", "0", "0", "0");
  ScanResult result = Scan();
  EXPECT_EQ(result.step, ScanStep::kDone);
  EXPECT_FALSE(result.history);
}

TEST_F(ScanTest, EachFailingStepStopsTheScanThereAndClosesWhatIsOpen) {
  const Status failed = Status::Error("Error 1014: RFC-Failure raised ! - hint");
  struct Case {
    FakeSystemSetup setup;
    ScanStep step;
    std::string message;
    std::string cause;
    const char* last_call;
  } cases[] = {
      {FakeSystemSetup().FailOpen(Status::Error("Error 1011: RFC-Open for PRD failed !", "why")),
       ScanStep::kOpen, "Error 1011: RFC-Open for PRD failed !", "why", "Open PRD"},
      {FakeSystemSetup().FailCollection(failed), ScanStep::kCollectionTime, failed.message(), "",
       "Close PRD"},
      {FakeSystemSetup().FailInfo(failed), ScanStep::kSystemInfo, failed.message(), "",
       "Close PRD"},
      {FakeSystemSetup().Database("ORACLE    "), ScanStep::kDatabaseCheck,
       "Error 1018: DataBase mismatch !", "the database is ORACLE", "Close PRD"},
      {FakeSystemSetup().FailMonitor(failed), ScanStep::kMonitor, failed.message(), "",
       "Close PRD"},
  };
  for (const Case& c : cases) {
    System() = c.setup;
    ScanResult result = Scan();
    EXPECT_EQ(result.step, c.step) << c.message;
    EXPECT_EQ(result.status.message(), c.message);
    EXPECT_EQ(result.status.cause(), c.cause) << c.message;
    EXPECT_FALSE(result.history) << c.message;
    EXPECT_EQ(library.calls.back(), c.last_call) << c.message;
  }
}

TEST_F(ScanTest, EachStepThatSucceededIsToldWithWhatWasReadSoFar) {
  System().monitor_line = MonitorLine("150", "6", "9", "2");
  std::vector<std::string> told;
  request.succeeded = [&](ScanStep step, const ScanResult& so_far) {
    told.push_back(std::string(ScanStepName(step)) + " " + so_far.collection_text + " " +
                   so_far.system_info.database_system + " " + std::to_string(so_far.current[0]));
  };
  ScanResult result = Scan();
  ASSERT_EQ(result.step, ScanStep::kDone);
  EXPECT_EQ(told, (std::vector<std::string>{
                      "RfcOpen   0", "GET_CPU_ALL Mon Dec  7 10:11:12 2026  0",
                      "RFC_SYSTEM_INFO Mon Dec  7 10:11:12 2026 ADABAS D   0",
                      "ADA_ST04 Mon Dec  7 10:11:12 2026 ADABAS D   150"}));

  // A database that is not MaxDB: its step is not told as succeeded.
  told.clear();
  System() = FakeSystemSetup().Database("ORACLE    ");
  result = Scan();
  ASSERT_EQ(result.step, ScanStep::kDatabaseCheck);
  EXPECT_EQ(result.system_info.database_system, "ORACLE    ");
  EXPECT_EQ(told.size(), 2u);
}

}  // namespace
}  // namespace quillmeter
