#include "queries/collection_time.h"

#include <gtest/gtest.h>

#include "queries/fake_rfc.h"

namespace quillmeter {
namespace {

TEST(CollectionTimeTest, TakesDateAndTimeFromTheCollectionText) {
  struct Case {
    std::string text;
    const char* date;
    const char* time;
  } cases[] = {
      {"Wed Jun  1 09:05:07 2011", "20110601", "09:05:07"},
      {"Mon Dec 17 23:59:59 2026", "20261217", "23:59:59"},
      {"Thu Jan 30 00:00:00 1999", "20990130", "00:00:00"},  // the century is always 20
      {"Sat Oct  3 12:00:00 2026 ", "20261003", "12:00:00"},
      {"Fri Xyz 13 01:02:03 2026", "2026yz13", "01:02:03"},  // unknown month stays letters
      {"Fri jun 13 01:02:03 2026", "2026un13", "01:02:03"},  // names are case-sensitive
      {"", "20    0 ", "        "},
      {"Wed Jun  1 09:05", "20  0601", "09:05   "},
      {std::string("Wed Jun\n 1 09:05:07\r2011", 24), "20110601", "09:05:07"},
      {std::string("Wed Jun \0"
                   "1 09:05:07 2011",
                   24),
       "201106?1", "09:05:07"},
  };
  for (const Case& c : cases) {
    FakeRun fake;
    TakeCollectionTime(fake.run, c.text);
    EXPECT_EQ(fake.run.sample_date, c.date) << c.text;
    EXPECT_EQ(fake.run.sample_time, c.time) << c.text;
  }
}

TEST(CollectionTimeTest, QueryStampsTheSample) {
  FakeRun fake;
  TheFakeRfc().last_collection = "Wed Jun  1 09:05:07 2011";
  EXPECT_EQ(ReadCollectionTime(fake.run), kRfcOk);
  EXPECT_TRUE(fake.run.run_ok);
  EXPECT_EQ(fake.run.sample_date, "20110601");
  EXPECT_EQ(fake.run.sample_time, "09:05:07");
  const FakeRfc& rfc = TheFakeRfc();
  EXPECT_EQ(rfc.exporting, "LOCAL_REMOTE/0/6 LOGICAL_DESTINATION/0/32");
  EXPECT_EQ(rfc.importing,
            "ACTIVEFLAG/8/4 DETAILSCOLL/8/4 DETAILSMODE/8/4 DETAILSREQI/8/4 "
            "F_CPU_ALL_READ/0/3 INTERVAL/8/4 LASTCOLLINT/8/4 LASTCOLLWRT/0/25 "
            "NORMCOLLINT/8/4 OP_SYSTEM/0/52");
  EXPECT_EQ(rfc.tables, "TF_CPU_ALL/CPU_ALL/48");
  std::vector<std::string> calls = {"ItCreate TF_CPU_ALL 48", "RfcInstallStructure CPU_ALL 13/46",
                                    "RfcCall GET_CPU_ALL", "RfcReceive GET_CPU_ALL",
                                    "ItDelete TF_CPU_ALL"};
  EXPECT_EQ(rfc.calls, calls);
  EXPECT_TRUE(rfc.live_tables.empty());
}

TEST(CollectionTimeTest, FailedQueryKeepsTheStampAndDeletesTheTable) {
  FakeRun fake;
  TheFakeRfc().receive_result = kRfcSysException;
  EXPECT_EQ(ReadCollectionTime(fake.run), kRfcSysException);
  EXPECT_FALSE(fake.run.run_ok);
  EXPECT_EQ(fake.run.result.str(), "Error 1013: Sys-Exception raised !");
  EXPECT_EQ(fake.run.sample_date, "20000101");
  EXPECT_EQ(fake.run.sample_time, "16:20:21");
  EXPECT_TRUE(TheFakeRfc().live_tables.empty());
}

TEST(CollectionTimeTest, TableFaultsEndTheRun) {
  struct Case {
    const char* name;
    void (*arrange)(FakeRfc&);
  } cases[] = {
      {"ItCreate", [](FakeRfc& rfc) { rfc.fail_create = true; }},
      {"ItGetLine", [](FakeRfc& rfc) { rfc.fail_line = 2; }},
      {"ItDelete", [](FakeRfc& rfc) { rfc.delete_result = 1; }},
  };
  for (const Case& c : cases) {
    FakeRun fake;
    c.arrange(TheFakeRfc());
    try {
      ReadCollectionTime(fake.run);
      ADD_FAILURE() << c.name << ": the failure report returned";
    } catch (const ExitCalled& exit) {
      EXPECT_EQ(exit.code, 1) << c.name;
    }
  }
}

}  // namespace
}  // namespace quillmeter
