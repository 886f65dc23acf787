#include "scan/sample.h"

#include <gtest/gtest.h>

#include "rfc/fake_sap_system.h"

namespace quillmeter {
namespace {

TEST(SampleTest, StampComesFromTheCollectionTextsFixedColumns) {
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
    SampleStamp stamp = StampOfCollection(c.text);
    EXPECT_EQ(stamp.date, c.date) << c.text;
    EXPECT_EQ(stamp.time, c.time) << c.text;
  }
}

TEST(SampleTest, CounterFieldsArePaddedDottedAnd64Bit) {
  struct Case {
    std::string field;
    std::uint64_t value;
  } cases[] = {
      {"                 1.234.567", 1234567},
      {std::string(21, ' ') + "4.711", 4711},
      {std::string(26, ' '), 0},
      {"", 0},
      {"12a4", 12},
      {"12a.4", 12},
      {"1 2", 1},  // shorter than four characters: blanks stay, and end the number
      {"  -5", 0},
      {"             4.294.967.296", 4294967296u},
      {"      18446744073709551615", UINT64_MAX},
      {"      18446744073709551616", 0},  // one past 64 bits: unusable, not wrapped
      {std::string(26, '9'), 0},
      {std::string("12\0 34", 6), 12},
  };
  for (const Case& c : cases) EXPECT_EQ(CounterValue(c.field), c.value) << c.field;
  EXPECT_EQ(StripBlanksAndDots("1 2"), "1 2");
  EXPECT_EQ(StripBlanksAndDots("   1.234.567  "), "1234567");
}

TEST(SampleTest, CountersComeFromTheirFieldsOfTheLine) {
  EXPECT_EQ(CountersOfMonitorLine(MonitorLine("1.234.567", "12", "3", "0")),
            (Counters{1234567, 12, 3, 0}));
  EXPECT_EQ(CountersOfMonitorLine(""), (Counters{0, 0, 0, 0}));
  // A short line: ROLLBACKS ends at 132, LOGPAGES starts at 652.
  std::string line = MonitorLine("9", "9", "77", "9").substr(0, 140);
  EXPECT_EQ(CountersOfMonitorLine(line), (Counters{0, 0, 77, 0}));
}

TEST(SampleTest, OnlyAdaDatabasesAreMaxDb) {
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

}  // namespace
}  // namespace quillmeter
