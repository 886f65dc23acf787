#include "queries/system_info.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "queries/fake_rfc.h"

namespace quillmeter {
namespace {

TEST(SystemInfoTest, OnlyAdaDatabasesAreMaxDb) {
  struct Case {
    const char* database_system;
    bool max_db;
  } cases[] = {
      {"ADA       ", true},  {"ADABAS D  ", true},  {"ADAx", true}, {"ORACLE    ", false},
      {"ada       ", false}, {" ADA      ", false}, {"AD", false},  {"", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsMaxDb(SystemInfo{c.database_system, ""}), c.max_db) << c.database_system;
}

TEST(SystemInfoTest, ReadsDatabaseAndHostFromTheRecord) {
  FakeRun fake;
  TheFakeRfc().database_system = "ADA";
  TheFakeRfc().host = "sapprd01";
  fake.run.profile.display_host = "prd.example";
  SystemInfo info;
  EXPECT_EQ(ReadSystemInfo(fake.run, &info), kRfcOk);
  EXPECT_TRUE(fake.run.run_ok);
  EXPECT_EQ(info.database_system, "ADA       ");
  EXPECT_EQ(info.host, "sapprd01");
  EXPECT_EQ(fake.run.profile.display_host, "sapprd01");
  EXPECT_EQ(TheFakeRfc().importing,
            "CURRENT_RESOURCES/8/4 DIALOG_USER_TYPE/0/1 MAXIMAL_RESOURCES/8/4 "
            "RECOMMENDED_DELAY/8/4 RFCSI_EXPORT/RFCSI/200 RFC_LOGIN_COMPLETE/0/1");
  EXPECT_EQ(TheFakeRfc().exporting, "");
  EXPECT_EQ(TheFakeRfc().tables, "");
  EXPECT_TRUE(fake.run.result.empty());
}

TEST(SystemInfoTest, RecordIsInstalledOncePerProcess) {
  FakeRun fake;
  SystemInfo info;
  ReadSystemInfo(fake.run, &info);
  ReadSystemInfo(fake.run, &info);
  const auto& calls = TheFakeRfc().calls;
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "RfcInstallStructure RFCSI 18/200"), 1);
}

TEST(SystemInfoTest, FailuresAppendTheirMessageAndStayErr) {
  struct Case {
    RFC_RC call;
    RFC_RC receive;
    const char* exception;
    const char* message;
  } cases[] = {
      {kRfcFailure, kRfcOk, nullptr, "Error 1014: RFC-Failure raised !"},
      {kRfcOk, kRfcFailure, nullptr, "Error 1014: RFC-Failure raised !"},
      {kRfcOk, kRfcException, "NOT_AUTHORIZED", "Error 1012: Exception.: NOT_AUTHORIZED"},
      {kRfcOk, kRfcSysException, "SYSTEM_FAILURE", "Error 1013: Sys-Exception raised !"},
      {kRfcOk, 9, nullptr, "Error 1015: Other Failure raised !"},
  };
  for (const Case& c : cases) {
    FakeRun fake;
    TheFakeRfc().call_result = c.call;
    TheFakeRfc().receive_result = c.receive;
    TheFakeRfc().exception_name = c.exception;
    SystemInfo info;
    EXPECT_NE(ReadSystemInfo(fake.run, &info), kRfcOk) << c.message;
    EXPECT_FALSE(fake.run.run_ok) << c.message;
    EXPECT_EQ(fake.run.result.str(), c.message);
    EXPECT_FALSE(IsMaxDb(info)) << c.message;
  }
}

}  // namespace
}  // namespace quillmeter
