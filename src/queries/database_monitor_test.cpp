#include "queries/database_monitor.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "queries/fake_rfc.h"
#include "queries/remote_call.h"

namespace quillmeter {
namespace {

class DatabaseMonitorTest : public ::testing::Test {
 protected:
  RFC_RC Query(std::string* exception) {
    ITAB_H table = CreateTable(fake_.run, "TST04ADA", kMonitorLineLength);
    RFC_RC rc = QueryDatabaseMonitor(fake_.run, table, &start_, exception);
    DeleteTable(fake_.run, table, "TST04ADA");
    return rc;
  }
  size_t Count(const std::string& call) {
    const auto& calls = TheFakeRfc().calls;
    return static_cast<size_t>(std::count(calls.begin(), calls.end(), call));
  }

  FakeRun fake_;
  DatabaseStart start_{};
};

TEST_F(DatabaseMonitorTest, SecondQueryReusesTheInstalledStructure) {
  std::string exception;
  EXPECT_EQ(Query(&exception), kRfcOk);
  EXPECT_EQ(Query(&exception), kRfcOk);
  EXPECT_EQ(Count("RfcInstallStructure TST04SQD 34/860"), 1u);
  EXPECT_EQ(Count("RfcCall ADA_ST04"), 2u);
  EXPECT_TRUE(fake_.run.rfc->tst04sqd.installed);
}

TEST_F(DatabaseMonitorTest, PassesTheMonitorTableAndStartFields) {
  std::string exception;
  ASSERT_EQ(Query(&exception), kRfcOk);
  const FakeRfc& rfc = TheFakeRfc();
  EXPECT_EQ(rfc.exporting, "");
  EXPECT_EQ(rfc.tables, "TST04ADA/TST04SQD/860");
  EXPECT_EQ(rfc.importing, "DBSTART_DATE/1/8 DBSTART_TIME/3/6 DBVERSION/0/40");
  EXPECT_EQ(std::string(start_.date, 8), "20261201");
}

TEST_F(DatabaseMonitorTest, FailedCallReturnsAtOnceWithoutReceive) {
  TheFakeRfc().call_result = kRfcFailure;
  TheFakeRfc().exception_name = "NEVER_SEEN";
  std::string exception = "untouched";
  EXPECT_EQ(Query(&exception), kRfcFailure);
  EXPECT_EQ(exception, "untouched");
  EXPECT_EQ(Count("RfcReceive ADA_ST04"), 0u);
}

TEST_F(DatabaseMonitorTest, ExceptionNameIsHandedBack) {
  TheFakeRfc().receive_result = kRfcException;
  TheFakeRfc().exception_name = "DB_NOT_AVAILABLE";
  std::string exception;
  EXPECT_EQ(Query(&exception), kRfcException);
  EXPECT_EQ(exception, "DB_NOT_AVAILABLE");
}

TEST_F(DatabaseMonitorTest, RefusedStructureEndsTheRun) {
  TheFakeRfc().install_result = 1;
  std::string exception;
  ITAB_H table = CreateTable(fake_.run, "TST04ADA", kMonitorLineLength);
  try {
    QueryDatabaseMonitor(fake_.run, table, &start_, &exception);
    FAIL() << "the failure report returned";
  } catch (const ExitCalled& exit) {
    EXPECT_EQ(exit.code, 1);
  }
  EXPECT_EQ(Count("RfcCall ADA_ST04"), 0u);
  EXPECT_FALSE(fake_.run.rfc->tst04sqd.installed);
}

}  // namespace
}  // namespace quillmeter
