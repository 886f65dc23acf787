#include "profiles/history.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace quillmeter {
namespace {

const HistoryKey kSingle{};
const HistoryKey kSensor{"Tessarin.Prf/LogWrites"};
const std::string kProfile = "Destination:            PRD\nClient.....:            100\n";
const SampleStamp kNow{"20261207", "10:11:12"};

// A history line: `tag` "# Alg ", "# Alx " or "# Alm <sensor> ".
std::string Line(std::string_view tag, std::string_view stamp, Counters c) {
  return std::string(tag) + "Date=" + std::string(stamp) + " Writes=" + std::to_string(c[0]) +
         " WaitBusy=" + std::to_string(c[1]) + " RollBacks=" + std::to_string(c[2]) +
         " OverFlows=" + std::to_string(c[3]);
}
std::string Alg(std::string_view stamp, Counters c) { return Line("# Alg ", stamp, c) + "\n"; }
std::string Alx(std::string_view stamp, Counters c) { return Line("# Alx ", stamp, c) + "\n"; }
std::string Alm(std::string_view sensor, std::string_view stamp, Counters c) {
  return Line("# Alm " + std::string(sensor) + " ", stamp, c) + "\n";
}

// What a scan of `profile` finds and writes for a new sample `current`.
struct Scan {
  Counters growth;
  std::optional<std::string> rewritten;  // nullopt: not written
};
Scan ScanProfile(const std::string& profile, const HistoryKey& key, Counters current) {
  PreviousSample previous = FindPreviousSample(SplitLines(profile), key, kNow.date);
  std::optional<HistoryUpdate> update = NextHistory(key, previous, kNow, current);
  Scan scan{Growth(previous, current), std::nullopt};
  if (update) scan.rewritten = ApplyHistory(profile, *update);
  return scan;
}

TEST(HistoryTest, SingleSystemSamplesFromRunToRun) {
  struct Case {
    const char* name;
    std::string profile;
    Counters current;
    Counters growth;
    std::optional<std::string> rewritten;
  } cases[] = {
      {"first run",
       kProfile,
       {1234567, 12, 3, 0},
       {0, 0, 0, 0},
       kProfile + Alg("20261207 10:11:12", {1234567, 12, 3, 0})},
      {"second run of the day",
       kProfile + Alg("20261207 09:00:00", {1000, 5, 7, 1}),
       {1234567, 5, 10, 3},
       {1233567, 0, 3, 2},
       kProfile + Alg("20261207 10:11:12", {1234567, 5, 10, 3}) +
           Alx("20261207 09:00:00", {1000, 5, 7, 1})},
      {"next day",
       kProfile + Alg("20261206 23:59:00", {1000, 5, 7, 1}),
       {2000, 6, 8, 2},
       {0, 0, 0, 0},
       kProfile + Alg("20261207 10:11:12", {2000, 6, 8, 2}) +
           Alx("20261206 23:59:00", {1000, 5, 7, 1})},
      {"a counter went down",
       kProfile + Alg("20261207 09:00:00", {1000, 5, 7, 1}),
       {10, 9, 7, 1},
       {0, 4, 0, 0},
       kProfile + Alg("20261207 10:11:12", {10, 9, 7, 1}) +
           Alx("20261207 09:00:00", {1000, 5, 7, 1})},
      {"unchanged",
       kProfile + Alg("20261207 09:00:00", {1000, 5, 7, 1}),
       {1000, 5, 7, 1},
       {0, 0, 0, 0},
       std::nullopt},
      {"beyond 32 bits",
       kProfile + Alg("20261207 09:00:00", {4294967296u, 0, 0, 0}),
       {98765432109u, 0, 0, 0},
       {98765432109u - 4294967296u, 0, 0, 0},
       kProfile + Alg("20261207 10:11:12", {98765432109u, 0, 0, 0}) +
           Alx("20261207 09:00:00", {4294967296u, 0, 0, 0})},
      {"a key missing reads 0",
       kProfile + "# Alg Date=20261207 09:00:00 Writes=10\n",
       {15, 2, 0, 0},
       {5, 2, 0, 0},
       kProfile + Alg("20261207 10:11:12", {15, 2, 0, 0}) +
           "# Alx Date=20261207 09:00:00 Writes=10\n"},
  };
  for (const Case& c : cases) {
    Scan scan = ScanProfile(c.profile, kSingle, c.current);
    EXPECT_EQ(scan.growth, c.growth) << c.name;
    EXPECT_EQ(scan.rewritten, c.rewritten) << c.name;
  }
}

TEST(HistoryTest, HandEditedHistoryShrinksToOneOfEachAfterTheOtherLines) {
  std::string profile = Alx("20261201 00:00:00", {9, 9, 9, 9}) + kProfile +
                        Alg("20261207 08:00:00", {100, 1, 1, 1}) + "# comment\n" +
                        Alg("20261207 09:00:00", {500, 1, 1, 1}) + Alx("x", {1, 1, 1, 1});
  Scan scan = ScanProfile(profile, kSingle, {150, 1, 1, 1});
  EXPECT_EQ(scan.growth, (Counters{50, 0, 0, 0})) << "only the first # Alg counts";
  EXPECT_EQ(scan.rewritten, kProfile + std::string("# comment\n") +
                                Alg("20261207 10:11:12", {150, 1, 1, 1}) +
                                Alx("20261207 08:00:00", {100, 1, 1, 1}));
}

TEST(HistoryTest, WindowsLineEndsStay) {
  std::string profile = "Destination:            PRD\r\nClient.....:            100\r\n";
  Scan scan = ScanProfile(profile, kSingle, {1, 2, 3, 4});
  EXPECT_EQ(scan.rewritten, profile + Line("# Alg ", "20261207 10:11:12", {1, 2, 3, 4}) + "\r\n");
}

TEST(HistoryTest, EachMultiSystemSensorKeepsItsOwnLineWhereItStands) {
  const std::string head = kProfile + Alg("20261207 09:00:00", {1, 1, 1, 1});
  const std::string other = Alm("Tessarin.Prf/WaitBusy", "20261207 09:00:00", {7, 7, 7, 7});
  struct Case {
    const char* name;
    std::string profile;
    Counters growth;
    std::optional<std::string> rewritten;
  } cases[] = {
      {"first run",
       head + other,
       {0, 0, 0, 0},
       head + other + Alm(kSensor.sensor, "20261207 10:11:12", {150, 5, 7, 1})},
      {"second run",
       head + Alm(kSensor.sensor, "20261207 09:00:00", {100, 5, 7, 1}) + other,
       {50, 0, 0, 0},
       head + Alm(kSensor.sensor, "20261207 10:11:12", {150, 5, 7, 1}) + other},
      {"duplicates go",
       Alm(kSensor.sensor, "20261207 09:00:00", {100, 5, 7, 1}) + head +
           Alm(kSensor.sensor, "20261206 09:00:00", {1, 1, 1, 1}),
       {50, 0, 0, 0},
       Alm(kSensor.sensor, "20261207 10:11:12", {150, 5, 7, 1}) + head},
      {"unchanged",
       head + Alm(kSensor.sensor, "20261207 09:00:00", {150, 5, 7, 1}),
       {0, 0, 0, 0},
       std::nullopt},
  };
  for (const Case& c : cases) {
    Scan scan = ScanProfile(c.profile, kSensor, {150, 5, 7, 1});
    EXPECT_EQ(scan.growth, c.growth) << c.name;
    EXPECT_EQ(scan.rewritten, c.rewritten) << c.name;
  }
}

TEST(HistoryTest, ALineBreakInASensorNameCannotSplitTheLine) {
  Scan scan = ScanProfile(kProfile, HistoryKey{"Tess\narin\r"}, {1, 2, 3, 4});
  EXPECT_EQ(scan.rewritten, kProfile + Alm("Tess?arin?", "20261207 10:11:12", {1, 2, 3, 4}));
}

}  // namespace
}  // namespace quillmeter
