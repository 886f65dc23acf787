#include "queries/logging_rates.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "queries/fake_rfc.h"

namespace quillmeter {
namespace {

constexpr char kPath[] = "/prtg/PRD.P00";
const std::string kProfile =
    "Destination:            PRD\n"
    "Client:                 100\n";
constexpr char kToday[] = "20261207 10:11:12";  // the sample stamp of every run here

// A history line: "# Alg ", "# Alx " or "# Alm <sensor> ", then the sample.
std::string History(std::string_view tag, std::string_view stamp,
                    std::array<std::uint64_t, 4> counters, std::string_view end = "\n") {
  return std::string(tag) + "Date=" + std::string(stamp) +
         " Writes=" + std::to_string(counters[0]) + " WaitBusy=" + std::to_string(counters[1]) +
         " RollBacks=" + std::to_string(counters[2]) + " OverFlows=" + std::to_string(counters[3]) +
         std::string(end);
}
std::string Alg(std::string_view stamp, std::array<std::uint64_t, 4> counters) {
  return History("# Alg ", stamp, counters);
}
std::string Alx(std::string_view stamp, std::array<std::uint64_t, 4> counters) {
  return History("# Alx ", stamp, counters);
}
std::string Alm(std::string_view sensor, std::string_view stamp,
                std::array<std::uint64_t, 4> counters) {
  return History("# Alm " + std::string(sensor) + " ", stamp, counters);
}

// The EXEXML document of a run with these figures.
std::string Document(const std::string& destination, const std::string& summary_figures,
                     const std::vector<std::string>& values) {
  const char* channels[] = {"LogWrites", "WaitBusy", "RollBacks", "Overflows"};
  std::string document =
      "\n<Prtg>\n\n<Text>(" + destination + ") Logging: " + summary_figures + "</Text>\n";
  for (size_t i = 0; i < 4; ++i)
    document += "\n<Result><Channel>" + std::string(channels[i]) + "</Channel>\n<Value>" +
                values[i] + "</Value></Result>\n";
  return document + "\n</Prtg>\n";
}

class LoggingRatesTest : public ::testing::Test {
 protected:
  LoggingRatesTest() { Prepare(run()); }

  static void Prepare(RunState& run) {
    run.profile_path = kPath;
    run.profile_name = "PRD.P00";
    run.profile.destination = "PRD";
    run.sample_date = "20261207";
    run.sample_time = "10:11:12";
  }
  RunState& run() { return fake_.run; }
  void WriteProfile(const std::string& text) {
    fake_.platform.files[kPath] = text;
    run().profile_contents = text;
    run().profile_lines = SplitLines(text);
  }
  void Serve(std::string_view writes, std::string_view waits, std::string_view rollbacks,
             std::string_view overflows) {
    TheFakeRfc().monitor_lines = {MonitorLine(writes, waits, rollbacks, overflows)};
  }
  RFC_RC Run() { return ComputeLoggingRates(run()); }
  const std::string& Profile() { return fake_.platform.files[kPath]; }
  size_t Writes() const { return fake_.platform.replaces.size(); }

  FakeRun fake_;
};

TEST(CounterValueTest, ConvertsPaddedDottedAnd64BitFields) {
  struct Case {
    std::string field;
    std::uint64_t value;
  } cases[] = {
      {"                 1.234.567", 1234567},
      {"                     4.711", 4711},
      {std::string(26, ' '), 0},
      {"", 0},
      {"12a4", 12},
      {"  -5", 0},
      {"             4.294.967.296", 4294967296u},
      {"      18446744073709551615", UINT64_MAX},
      {"      18446744073709551616", 0},  // one past 64 bits: unusable, not wrapped
      {std::string(26, '9'), 0},
      {std::string("12\0 34", 6), 12},
  };
  for (const Case& c : cases) EXPECT_EQ(CounterValue(c.field), c.value) << c.field;
}

TEST_F(LoggingRatesTest, FirstRunReportsZeroAndStartsHistory) {
  WriteProfile(kProfile);
  Serve("1.234.567", "12", "3", "0");
  EXPECT_EQ(Run(), kRfcOk);
  EXPECT_TRUE(run().run_ok);
  EXPECT_EQ(run().result.str(),
            "\n<Prtg>\n"
            "\n<Text>(PRD) Logging: LogWrites=0, WaitBusy=0, RollBacks=0, OverFlows=0</Text>\n"
            "\n<Result><Channel>LogWrites</Channel>\n<Value>0</Value></Result>\n"
            "\n<Result><Channel>WaitBusy</Channel>\n<Value>0</Value></Result>\n"
            "\n<Result><Channel>RollBacks</Channel>\n<Value>0</Value></Result>\n"
            "\n<Result><Channel>Overflows</Channel>\n<Value>0</Value></Result>\n"
            "\n</Prtg>\n");
  EXPECT_EQ(Profile(), kProfile +
                           "# Alg Date=20261207 10:11:12 Writes=1234567 WaitBusy=12 RollBacks=3 "
                           "OverFlows=0\n");
  EXPECT_EQ(fake_.out.str(), "");
  EXPECT_TRUE(TheFakeRfc().live_tables.empty());
}

TEST_F(LoggingRatesTest, SecondRunSameDayReportsGrowth) {
  WriteProfile(kProfile + Alg("20261207 09:00:00", {1000, 5, 7, 1}));
  Serve("1.234.567", "5", "10", "3");
  Run();
  EXPECT_EQ(run().result.str(),
            Document("PRD", "LogWrites=1.233.567, WaitBusy=0, RollBacks=3, OverFlows=2",
                     {"1233567", "0", "3", "2"}));
  EXPECT_EQ(Profile(), kProfile + Alg(kToday, {1234567, 5, 10, 3}) +
                           Alx("20261207 09:00:00", {1000, 5, 7, 1}));
}

TEST_F(LoggingRatesTest, NextDayReportsZeroAndReplacesHistory) {
  WriteProfile(kProfile + Alg("20261206 23:59:00", {1000, 5, 7, 1}) +
               Alx("20261206 22:00:00", {900, 5, 7, 1}));
  Serve("2000", "6", "8", "2");
  Run();
  EXPECT_EQ(run().result.str(), Document("PRD", "LogWrites=0, WaitBusy=0, RollBacks=0, OverFlows=0",
                                         {"0", "0", "0", "0"}));
  EXPECT_EQ(Profile(),
            kProfile + Alg(kToday, {2000, 6, 8, 2}) + Alx("20261206 23:59:00", {1000, 5, 7, 1}));
}

TEST_F(LoggingRatesTest, CounterThatWentDownReportsZeroForItAlone) {
  WriteProfile(kProfile + Alg("20261207 09:00:00", {5000, 5, 7, 1}));
  Serve("100", "8", "7", "1");
  Run();
  EXPECT_EQ(run().result.str(), Document("PRD", "LogWrites=0, WaitBusy=3, RollBacks=0, OverFlows=0",
                                         {"0", "3", "0", "0"}));
  EXPECT_EQ(Profile(),
            kProfile + Alg(kToday, {100, 8, 7, 1}) + Alx("20261207 09:00:00", {5000, 5, 7, 1}));
}

TEST_F(LoggingRatesTest, UnchangedCountersLeaveTheProfileUnwritten) {
  const std::string profile = kProfile + Alg("20261207 09:00:00", {100, 5, 7, 1});
  WriteProfile(profile);
  Serve("100", "5", "7", "1");
  EXPECT_EQ(Run(), kRfcOk);
  EXPECT_TRUE(run().run_ok);
  EXPECT_EQ(Writes(), 0u);
  EXPECT_EQ(Profile(), profile);
  EXPECT_EQ(run().result.str(), Document("PRD", "LogWrites=0, WaitBusy=0, RollBacks=0, OverFlows=0",
                                         {"0", "0", "0", "0"}));
}

TEST_F(LoggingRatesTest, HandEditedHistoryShrinksToOneOfEach) {
  const std::string other_sensor = Alm("Tessarin.Prf/WaitBusy", "20261207 09:00:00", {1, 2, 3, 4});
  WriteProfile("Destination:            PRD\n" + Alx("20261205 08:00:00", {1, 1, 1, 1}) +
               Alg("20261207 09:00:00", {100, 5, 7, 1}) + "Client:                 100\n" +
               Alg("20261207 09:30:00", {900, 9, 9, 9}) + other_sensor +
               Alx("20261206 08:00:00", {2, 2, 2, 2}) + "# Algebra stays\n");
  Serve("150", "5", "7", "1");
  Run();
  EXPECT_EQ(
      run().result.str(),
      Document("PRD", "LogWrites=50, WaitBusy=0, RollBacks=0, OverFlows=0", {"50", "0", "0", "0"}));
  EXPECT_EQ(Profile(), kProfile + other_sensor + "# Algebra stays\n" + Alg(kToday, {150, 5, 7, 1}) +
                           Alx("20261207 09:00:00", {100, 5, 7, 1}));
}

TEST_F(LoggingRatesTest, LastTableLineIsTheSample) {
  WriteProfile(kProfile + Alg("20261207 09:00:00", {100, 5, 7, 1}));
  TheFakeRfc().monitor_lines = {MonitorLine("999999", "99", "99", "99"),
                                MonitorLine("150", "6", "7", "8")};
  Run();
  EXPECT_EQ(
      run().result.str(),
      Document("PRD", "LogWrites=50, WaitBusy=1, RollBacks=0, OverFlows=7", {"50", "1", "0", "7"}));
}

TEST_F(LoggingRatesTest, EmptyTableGivesZeroCounters) {
  WriteProfile(kProfile);
  TheFakeRfc().monitor_lines.clear();
  EXPECT_EQ(Run(), kRfcOk);
  EXPECT_EQ(Profile(), kProfile + Alg(kToday, {0, 0, 0, 0}));
}

TEST_F(LoggingRatesTest, CountersBeyond32BitsAreReportedAndStored) {
  WriteProfile(kProfile +
               "# Alg Date=20261207 09:00:00 Writes=4294967295 WaitBusy=2147483647 "
               "RollBacks=18446744073709551000 OverFlows=0\n");
  Serve("6.442.450.943", "4294967296", "18446744073709551615", "2147483648");
  Run();
  EXPECT_EQ(run().result.str(),
            Document("PRD",
                     "LogWrites=2147.483.648, WaitBusy=2147.483.649, RollBacks=615, "
                     "OverFlows=2147.483.648",
                     {"2147483648", "2147483649", "615", "2147483648"}));
  EXPECT_EQ(Profile(), kProfile +
                           "# Alg Date=20261207 10:11:12 Writes=6442450943 WaitBusy=4294967296 "
                           "RollBacks=18446744073709551615 OverFlows=2147483648\n"
                           "# Alx Date=20261207 09:00:00 Writes=4294967295 WaitBusy=2147483647 "
                           "RollBacks=18446744073709551000 OverFlows=0\n");
}

TEST_F(LoggingRatesTest, FailedRewriteKeepsTheProfileAndReportsError1016) {
  const std::string profile = kProfile + Alg("20261207 09:00:00", {100, 5, 7, 1});
  WriteProfile(profile);
  Serve("150", "5", "7", "1");
  fake_.platform.fail_next_replace = true;
  EXPECT_EQ(Run(), kRfcOk);
  EXPECT_FALSE(run().run_ok);
  EXPECT_EQ(run().result.str(), "Error 1016: ReWriting of Profile PRD.P00 failed !");
  EXPECT_EQ(Writes(), 1u);
  EXPECT_EQ(Profile(), profile);
  EXPECT_TRUE(TheFakeRfc().live_tables.empty());
}

TEST_F(LoggingRatesTest, ProfileThatCannotBeReadAgainIsNotRewritten) {
  WriteProfile(kProfile + Alg("20261207 09:00:00", {100, 5, 7, 1}));
  // Gone or unreadable by the time the sample is to be saved.
  fake_.platform.files.erase(kPath);
  Serve("150", "5", "7", "1");
  EXPECT_EQ(Run(), kRfcOk);
  EXPECT_FALSE(run().run_ok);
  EXPECT_EQ(run().result.str(), "Error 1016: ReWriting of Profile PRD.P00 failed !");
  EXPECT_EQ(Writes(), 0u);
  EXPECT_EQ(fake_.platform.files.count(kPath), 0u);
}

TEST_F(LoggingRatesTest, WindowsProfileKeepsItsLineEnds) {
  const std::string head = "Destination:            PRD\r\nClient:                 100\r\n";
  WriteProfile(head + History("# Alg ", "20261207 09:00:00", {100, 5, 7, 1}, "\r\n"));
  Serve("150", "5", "7", "1");
  Run();
  EXPECT_EQ(Profile(), head + History("# Alg ", kToday, {150, 5, 7, 1}, "\r\n") +
                           History("# Alx ", "20261207 09:00:00", {100, 5, 7, 1}, "\r\n"));
}

TEST_F(LoggingRatesTest, QueryFailureLeavesTheProfileAlone) {
  WriteProfile(kProfile);
  TheFakeRfc().receive_result = kRfcException;
  TheFakeRfc().exception_name = "DB_NOT_AVAILABLE";
  EXPECT_EQ(Run(), kRfcException);
  EXPECT_FALSE(run().run_ok);
  EXPECT_EQ(run().result.str(), "Error 1012: Exception.: DB_NOT_AVAILABLE");
  EXPECT_EQ(Writes(), 0u);
  EXPECT_TRUE(TheFakeRfc().live_tables.empty());
}

TEST_F(LoggingRatesTest, TableFaultsEndTheRunBeforeAnyWrite) {
  struct Case {
    const char* name;
    void (*arrange)(FakeRfc&);
  } cases[] = {
      {"ItCreate", [](FakeRfc& rfc) { rfc.fail_create = true; }},
      {"ItGetLine", [](FakeRfc& rfc) { rfc.fail_line = 1; }},
  };
  for (const Case& c : cases) {
    WriteProfile(kProfile);
    Serve("150", "5", "7", "1");
    c.arrange(TheFakeRfc());
    EXPECT_THROW(Run(), ExitCalled) << c.name;
    EXPECT_EQ(Writes(), 0u) << c.name;
    ResetFakeRfc();
  }
  TheFakeRfc().delete_result = 1;
  EXPECT_THROW(Run(), ExitCalled);
}

TEST_F(LoggingRatesTest, EveryOutputModeGetsSummaryAndChannels) {
  const std::string document = Document(
      "R&amp;D", "LogWrites=1.000, WaitBusy=2, RollBacks=3, OverFlows=4", {"1000", "2", "3", "4"});
  struct Case {
    OutputMode mode;
    const char* parameters;
    std::string result;
  } cases[] = {
      {OutputMode::kExeXml, "", document},
      {OutputMode::kVorlind, "", document},
      {OutputMode::kDrovimo, "", document},
      {OutputMode::kQuintara, "",
       "\n# (R&D) Logging: LogWrites=1.000, WaitBusy=2, RollBacks=3, OverFlows=4"
       "\n\nMessage.LogWrites: LogWrites (#)\nStatistic.LogWrites: 1000"
       "\n\nMessage.WaitBusy: WaitBusy (#)\nStatistic.WaitBusy: 2"
       "\n\nMessage.RollBacks: RollBacks (#)\nStatistic.RollBacks: 3"
       "\n\nMessage.Overflows: Overflows (#)\nStatistic.Overflows: 4\n"},
      {OutputMode::kTalvren, "",
       "\n# (R&D) Logging: LogWrites=1.000, WaitBusy=2, RollBacks=3, OverFlows=4"
       "\n> LogWrites: 1000 #\n> WaitBusy: 2 #\n> RollBacks: 3 #\n> Overflows: 4 #\n"},
      {OutputMode::kTalvren, "CH=2", "2\n"},
  };
  for (const Case& c : cases) {
    const std::string name = std::string(OutputModeName(c.mode)) + " " + c.parameters;
    FakeRun fake;
    RunState& run = fake.run;
    Prepare(run);
    run.output_mode = c.mode;
    run.options = ParseOptions(c.parameters);
    run.profile.destination = "R&D";
    run.profile_contents = fake.platform.files[kPath] = Alg("20261207 09:00:00", {0, 0, 0, 0});
    run.profile_lines = SplitLines(run.profile_contents);
    TheFakeRfc().monitor_lines = {MonitorLine("1000", "2", "3", "4")};
    ComputeLoggingRates(run);
    EXPECT_EQ(run.result.str(), c.result) << name;
    EXPECT_EQ(fake.out.str(), "") << name;
  }
}

class ItemModeTest : public LoggingRatesTest {
 protected:
  static constexpr char kSensor[] = "Tessarin.Prf/LogWrites";
  ItemModeTest() { PrepareItem(run(), "LogWrites"); }
  static void PrepareItem(RunState& run, const std::string& item) {
    Prepare(run);
    run.item_mode = true;
    run.item_id = item;
    run.item_history_name = "Tessarin.Prf/" + item;
    run.system_alias = "PRD";
  }
  std::string Printed() { return fake_.out.str(); }
};

TEST_F(ItemModeTest, FirstRunReportsZeroAndAddsTheSensorsLine) {
  const std::string profile =
      kProfile + Alg("20261207 09:00:00", {100, 5, 7, 1}) + Alx("20261207 08:00:00", {90, 5, 7, 1});
  WriteProfile(profile);
  Serve("150", "5", "7", "1");
  EXPECT_EQ(Run(), kRfcOk);
  EXPECT_TRUE(run().run_ok);
  EXPECT_TRUE(run().item_found);
  EXPECT_EQ(Printed(), "\n<Result><Channel>PRD</Channel>\n<Value>0</Value></Result>\n");
  EXPECT_TRUE(run().result.empty());
  EXPECT_EQ(Profile(), profile +
                           "# Alm Tessarin.Prf/LogWrites Date=20261207 10:11:12 Writes=150 "
                           "WaitBusy=5 RollBacks=7 OverFlows=1\n");
}

TEST_F(ItemModeTest, SecondRunReportsGrowthAndTouchesNoOtherLine) {
  const std::string head = "Destination:            PRD\n";
  const std::string tail = Alm("Tessarin.Prf/WaitBusy", "20261207 09:00:00", {1, 1, 1, 1}) +
                           "Client:                 100\n" +
                           Alg("20261207 08:00:00", {10, 1, 1, 1}) +
                           Alx("20261207 07:00:00", {5, 1, 1, 1});
  WriteProfile(head + Alm(kSensor, "20261207 09:00:00", {100, 5, 7, 1}) + tail +
               Alm(kSensor, "20261206 09:00:00", {1, 1, 1, 1}));
  Serve("150", "5", "7", "1");
  Run();
  EXPECT_EQ(Printed(), "\n<Result><Channel>PRD</Channel>\n<Value>50</Value></Result>\n");
  EXPECT_EQ(Profile(), head + Alm(kSensor, kToday, {150, 5, 7, 1}) + tail);
}

TEST_F(ItemModeTest, LineAnotherSensorWroteMeanwhileSurvives) {
  WriteProfile(kProfile);
  // Another multi-system sensor rewrote the profile after this run read it.
  const std::string other = Alm("Tessarin.Prf/WaitBusy", kToday, {1, 2, 3, 4});
  fake_.platform.files[kPath] = kProfile + other;
  Serve("150", "5", "7", "1");
  Run();
  EXPECT_EQ(Profile(), kProfile + other + Alm(kSensor, kToday, {150, 5, 7, 1}));
}

TEST_F(ItemModeTest, UnchangedSampleIsNotWritten) {
  WriteProfile(kProfile + Alm(kSensor, "20261207 09:00:00", {150, 5, 7, 1}));
  Serve("150", "5", "7", "1");
  Run();
  EXPECT_EQ(Writes(), 0u);
  EXPECT_EQ(Printed(), "\n<Result><Channel>PRD</Channel>\n<Value>0</Value></Result>\n");
}

TEST_F(ItemModeTest, ItemIdSelectsTheOneFigure) {
  struct Case {
    const char* item;
    const char* printed;
  } cases[] = {
      {"LogWrites", "50"},    {"WaitBusy", "1"},      {"RollBacks", "2"}, {"Overflows", "3"},
      {"OverFlows", nullptr}, {"logwrites", nullptr}, {"", nullptr},
  };
  for (const Case& c : cases) {
    FakeRun fake;
    RunState& run = fake.run;
    PrepareItem(run, c.item);
    run.profile_contents = fake.platform.files[kPath] =
        Alm(run.item_history_name, "20261207 09:00:00", {100, 5, 7, 1});
    run.profile_lines = SplitLines(run.profile_contents);
    TheFakeRfc().monitor_lines = {MonitorLine("150", "6", "9", "4")};
    ComputeLoggingRates(run);
    std::string expected = c.printed == nullptr
                               ? ""
                               : "\n<Result><Channel>PRD</Channel>\n<Value>" +
                                     std::string(c.printed) + "</Value></Result>\n";
    EXPECT_EQ(fake.out.str(), expected) << c.item;
    EXPECT_EQ(run.item_found, c.printed != nullptr) << c.item;
    EXPECT_TRUE(run.result.empty()) << c.item;
  }
}

TEST_F(ItemModeTest, FailedRewritePrintsNothingAndFailsTheSystem) {
  WriteProfile(kProfile);
  Serve("150", "5", "7", "1");
  fake_.platform.fail_next_replace = true;
  Run();
  EXPECT_FALSE(run().run_ok);
  EXPECT_FALSE(run().item_found);
  EXPECT_EQ(Printed(), "");
  EXPECT_EQ(Profile(), kProfile);
}

TEST_F(ItemModeTest, LineBreakInSensorNameCannotSplitTheHistoryLine) {
  WriteProfile(kProfile);
  run().item_history_name = "Tess\narin\r";
  Serve("150", "5", "7", "1");
  Run();
  EXPECT_EQ(Profile(), kProfile + Alm("Tess?arin?", kToday, {150, 5, 7, 1}));
}

}  // namespace
}  // namespace quillmeter
