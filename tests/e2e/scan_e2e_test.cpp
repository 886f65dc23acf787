// Full single-system scans of the built sensor against the simulated
// library: the whole output, the exit code and the profile afterwards.
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sensor_fixture.h"

namespace quillmeter {
namespace {

namespace fs = std::filesystem;

// LOGPAGES, LOGWAITS, ROLLBACKS, QUEUEOVER: as sampled, stored or reported.
struct Counters {
  std::uint64_t writes = 0, waits = 0, rollbacks = 0, overflows = 0;
};

constexpr const char kJune1[] = "Wed Jun  1 09:05:07 2011";

class ScanE2eTest : public SensorTest {
 protected:
  void SetUp() override { WriteProfile("PRD"); }

  // Describes PRD collecting at `lastcoll` with one monitor line holding
  // `c`, then `more` description lines.
  void WriteSample(const Counters& c, const std::string& lastcoll = kJune1,
                   const std::string& more = "") {
    WriteSystem(ProfileFields{}, "lastcoll " + lastcoll + "\nst04line\nLOGPAGES " +
                                     std::to_string(c.writes) + "\nLOGWAITS " +
                                     std::to_string(c.waits) + "\nROLLBACKS " +
                                     std::to_string(c.rollbacks) + "\nQUEUEOVER " +
                                     std::to_string(c.overflows) + "\n" + more);
  }

  SensorResult Scan() { return RunSensor({"PRD", "@"}); }

  // The whole output of a scan that printed `document`.
  static std::string Output(const std::string& document, bool processed = true) {
    return "* hh:mm:ss SAP Quillmeter Vers 4.3 / 29.08.22\n"
           "* hh:mm:ss PRD.P00, sapprd01, PRD, 02, 100 State=Processing\n"
           "* hh:mm:ss Quillmeter - (No Parameters) State=Executing\n" +
           document + (processed ? "\n* hh:mm:ss SAP Quillmeter now processed...\n" : "");
  }

  // The document reporting growth `g`.
  static std::string Document(const Counters& g) {
    auto grouped = [](std::uint64_t n) {
      std::string d = std::to_string(n);
      size_t len = d.size();
      if (len > 6)
        return d.substr(0, len - 6) + "." + d.substr(len - 6, 3) + "." + d.substr(len - 3);
      if (len > 3) return d.substr(0, len - 3) + "." + d.substr(len - 3);
      return d;
    };
    auto channel = [](const char* name, std::uint64_t n) {
      return "\n<Result><Channel>" + std::string(name) + "</Channel>\n<Value>" + std::to_string(n) +
             "</Value></Result>\n";
    };
    return "\n<Prtg>\n\n<Text>(PRD) Logging: LogWrites=" + grouped(g.writes) +
           ", WaitBusy=" + grouped(g.waits) + ", RollBacks=" + grouped(g.rollbacks) +
           ", OverFlows=" + grouped(g.overflows) + "</Text>\n" + channel("LogWrites", g.writes) +
           channel("WaitBusy", g.waits) + channel("RollBacks", g.rollbacks) +
           channel("Overflows", g.overflows) + "\n</Prtg>\n";
  }

  // A history line: `tag` "Alg" or "Alx", `stamp` "YYYYMMDD HH:MM:SS".
  static std::string History(const char* tag, const std::string& stamp, const Counters& c) {
    return "# " + std::string(tag) + " Date=" + stamp + " Writes=" + std::to_string(c.writes) +
           " WaitBusy=" + std::to_string(c.waits) + " RollBacks=" + std::to_string(c.rollbacks) +
           " OverFlows=" + std::to_string(c.overflows) + "\n";
  }

  static std::string Profile(const std::string& history = "") {
    return ProfileText(ProfileFields{}, history);
  }

  void ExpectScan(const SensorResult& r, const Counters& growth, const std::string& profile,
                  const std::string& what) {
    EXPECT_EQ(r.exit_code, 0) << what << "\n" << r.out;
    EXPECT_EQ(MaskedTimes(r.out), Output(Document(growth))) << what;
    EXPECT_EQ(box.ReadFile("PRD.P00"), profile) << what;
  }
};

TEST_F(ScanE2eTest, HistoryFollowsTheSamplesFromRunToRun) {
  // Writes cross 2^32 on the way, and history values above it are read back.
  const struct {
    const char* what;
    const char* lastcoll;
    const char* stamp;
    Counters sample;
    Counters growth;
  } steps[] = {
      {"first run", kJune1, "20110601 09:05:07", {4294967290, 10, 5, 1}, {}},
      {"grown the same day",
       "Wed Jun  1 10:00:00 2011",
       "20110601 10:00:00",
       {4294967400, 12, 5, 4},
       {110, 2, 0, 3}},
      {"writes went down",
       "Wed Jun  1 11:30:00 2011",
       "20110601 11:30:00",
       {4294967000, 2000, 1234, 4},
       {0, 1988, 1229, 0}},
      {"next day",
       "Thu Jun  2 08:00:00 2011",
       "20110602 08:00:00",
       {4294967500, 2500, 1300, 9},
       {}},
  };
  std::string previous;
  for (const auto& s : steps) {
    WriteSample(s.sample, s.lastcoll);
    std::string latest = History("Alg", s.stamp, s.sample);
    ExpectScan(Scan(), s.growth, Profile(latest + previous), s.what);
    previous = "# Alx" + latest.substr(5);
  }
}

TEST_F(ScanE2eTest, UnchangedCountersLeaveTheProfileUntouched) {
  const Counters sample{700, 70, 7, 0};
  WriteProfile("PRD", ProfileFields{}, History("Alg", "20110601 08:00:00", sample));
  WriteSample(sample);
  struct stat before {};
  ASSERT_EQ(stat(box.Path("PRD.P00").c_str(), &before), 0);
  std::string contents = box.ReadFile("PRD.P00");
  ExpectScan(Scan(), {}, contents, "unchanged");
  struct stat after {};
  ASSERT_EQ(stat(box.Path("PRD.P00").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}

TEST_F(ScanE2eTest, HandEditedHistoryKeepsOtherLinesAndOnlyTheFirstAlgCounts) {
  // Lines beyond the reader's usual bounds must survive the rewrite too.
  std::string many;
  for (int i = 0; i < 250; ++i) many += "; line " + std::to_string(i) + "\n";
  const std::string note = "; " + std::string(300, 'n') + "\n";
  const std::string item = "# Alm PRD Date=20110601 07:00:00 Writes=5\n";
  const std::string first = History("Alg", "20110601 08:00:00", {100, 10, 1, 0});
  WriteProfile("PRD", ProfileFields{},
               "# Alx Date=20110531 23:00:00 Writes=1 WaitBusy=1 RollBacks=1 OverFlows=1\n"
               "# Alg note without a date\n" +
                   first + note + History("Alg", "20110601 07:00:00", {1, 1, 1, 1}) +
                   History("Alx", "20110601 06:00:00", {}) + item + many);
  WriteSample({150, 11, 3, 2});
  ExpectScan(Scan(), {50, 1, 2, 2},
             Profile(note + item + many + History("Alg", "20110601 09:05:07", {150, 11, 3, 2}) +
                     "# Alx" + first.substr(5)),
             "hand-edited");
}

TEST_F(ScanE2eTest, MonitorFieldsAreReadFromTheTablesLastLine) {
  const std::string zero = History("Alg", "20110601 00:00:00", {});
  const struct {
    const char* what;
    std::string lines;  // the monitor table
    Counters counters;
  } cases[] = {
      {"dotted, padded with blanks",
       "st04line\nLOGPAGES 1234567 dotted\nLOGWAITS 1234567 dotted left\n"
       "ROLLBACKS \"  1.234.567  \"\nQUEUEOVER \" 12 \"\n",
       {1234567, 1234567, 1234567, 12}},
      {"several lines",
       "st04line\nLOGPAGES 9\nLOGWAITS 9\nst04line\nLOGPAGES 8\nQUEUEOVER 8\n"
       "st04line\nLOGPAGES 31\nROLLBACKS 4\n",
       {31, 0, 4, 0}},
      {"empty table", "st04line none\n", {}},
      {"beyond 32 bits",
       "st04line\nLOGPAGES 5000000000\nROLLBACKS 98765432109 dotted\n",
       {5000000000, 0, 98765432109, 0}},
  };
  for (const auto& c : cases) {
    WriteProfile("PRD", ProfileFields{}, zero);
    WriteSystem(ProfileFields{}, std::string("lastcoll ") + kJune1 + "\n" + c.lines);
    bool grown = c.counters.writes + c.counters.waits + c.counters.rollbacks + c.counters.overflows;
    ExpectScan(
        Scan(), c.counters,
        grown ? Profile(History("Alg", "20110601 09:05:07", c.counters) + "# Alx" + zero.substr(5))
              : Profile(zero),
        c.what);
  }
}

TEST_F(ScanE2eTest, NonMaxDbDatabaseIsRefusedAfterTheConnectionClosed) {
  RecordLibraryCalls();
  WriteSystem(ProfileFields{}, "database ORACLE\n");
  SensorResult r = Scan();
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(
      MaskedTimes(r.out),
      Output(ErrorDocument("Error 1018: DataBase mismatch ! - the database is ORACLE"), false));
  std::string calls = LibraryCalls();
  EXPECT_NE(calls.find("RfcReceive 1 RFC_SYSTEM_INFO"), std::string::npos) << calls;
  EXPECT_NE(calls.find("RfcClose 1\n"), std::string::npos) << calls;
  EXPECT_EQ(calls.find("ADA_ST04"), std::string::npos) << calls;
  EXPECT_EQ(box.ReadFile("PRD.P00"), Profile());
}

TEST_F(ScanE2eTest, FailedQueriesKeepTheTraceFileAndTheProfile) {
  const struct {
    const char* step;  // "Call" or "Receive"
    const char* function;
    const char* rc_and_exception;
    const char* message;
  } cases[] = {
      {"Receive", "GET_CPU_ALL", "2 NO_DATA", "Error 1012: Exception.: NO_DATA"},
      {"Receive", "GET_CPU_ALL", "3", "Error 1013: Sys-Exception raised !"},
      {"Call", "RFC_SYSTEM_INFO", "1", "Error 1014: RFC-Failure raised !"},
      {"Receive", "RFC_SYSTEM_INFO", "9", "Error 1015: Other Failure raised !"},
      {"Call", "ADA_ST04", "3", "Error 1013: Sys-Exception raised !"},
      {"Receive", "ADA_ST04", "2 NOT_ACTIVE", "Error 1012: Exception.: NOT_ACTIVE"},
      {"Receive", "ADA_ST04", "3", "Error 1013: Sys-Exception raised !"},
  };
  const std::string profile = Profile(History("Alg", "20110601 08:00:00", {1, 1, 1, 1}));
  box.WriteFile("PRD.P00", profile);
  for (const auto& c : cases) {
    std::string fail = std::string(c.step == std::string("Call") ? "call " : "receive ") +
                       c.function + " " + c.rc_and_exception;
    fs::remove(box.Path("Dev_Rfc.Trc"));
    WriteSample({5, 5, 5, 5}, kJune1, "fail " + fail + "\n");
    SensorResult r = Scan();
    EXPECT_EQ(r.exit_code, 2) << fail;
    EXPECT_EQ(MaskedTimes(r.out),
              Output(ErrorDocument(std::string(c.message) + " - " + c.step + " of " + c.function +
                                   " in simulated system PRD failed (result " +
                                   c.rc_and_exception[0] + ")"),
                     false))
        << fail;
    EXPECT_NE(box.ReadFile("Dev_Rfc.Trc").find("**** ERROR"), std::string::npos) << fail;
    EXPECT_EQ(box.ReadFile("PRD.P00"), profile) << fail;
  }
}

TEST_F(ScanE2eTest, ReadOnlyProfileDirectoryIsError1016AndKeepsTheProfile) {
  const std::string profile = Profile(History("Alg", "20110601 08:00:00", {1, 1, 1, 1}));
  box.WriteFile("PRD.P00", profile);
  WriteSample({5, 5, 5, 5});
  RunOptions options;
  if (!MakeFolderReadOnly(&options)) GTEST_SKIP() << "the directory does not bind the sensor";
  SensorResult r = RunSensor({"PRD", "@"}, options);
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(MaskedTimes(r.out),
            Output(ErrorDocument("Error 1016: ReWriting of Profile PRD.P00 failed ! - Permission "
                                 "denied"),
                   false));
  EXPECT_EQ(box.ReadFile("PRD.P00"), profile);
  EXPECT_EQ(std::distance(fs::directory_iterator(box.dir()), fs::directory_iterator()), 2);
}

TEST_F(ScanE2eTest, AFileSizeLimitIsError1016WithTheReasonAndLeavesNoTemporary) {
  // ulimit -f: the rewrite is larger than the process may write.
  const std::string profile = Profile(std::string(3000, '#') + "\n");
  box.WriteFile("PRD.P00", profile);
  WriteSample({5, 5, 5, 5});
  RunOptions options;
  options.file_size_limit = 2048;
  SensorResult r = RunSensor({"PRD", "@"}, options);
  EXPECT_EQ(r.exit_code, 2) << "answered, not killed";
  EXPECT_EQ(MaskedTimes(r.out),
            Output(ErrorDocument("Error 1016: ReWriting of Profile PRD.P00 failed ! - File too "
                                 "large"),
                   false));
  EXPECT_EQ(box.ReadFile("PRD.P00"), profile);
  EXPECT_EQ(std::distance(fs::directory_iterator(box.dir()), fs::directory_iterator()), 2)
      << "no temporary file beside the profile";
}

TEST_F(ScanE2eTest, AProfileMadeFromTheTemplateStartsFromZero) {
  // The demo is scanned twice, as the quick start does; a new system's
  // profile copied from the template then holds none of the demo's history.
  const std::string demo = QUILLMETER_DEMO_DIR;
  box.Copy(demo + "/DEM.simrfc", "DEM.simrfc");
  box.Copy(demo + "/DEMO.Template", "DEMO.P00");
  for (int scan = 0; scan < 2; ++scan) EXPECT_EQ(RunSensor({"DEMO", "@"}).exit_code, 0) << scan;
  EXPECT_NE(box.ReadFile("DEMO.P00").find("# Alg Date="), std::string::npos);
  std::ifstream template_file(demo + "/DEMO.Template");
  const std::string template_text{std::istreambuf_iterator<char>(template_file),
                                  std::istreambuf_iterator<char>()};
  ASSERT_FALSE(template_text.empty());
  EXPECT_EQ(template_text.find("# Al"), std::string::npos) << "no history in the template";
  box.Copy(demo + "/DEMO.Template", "NEW.P00");
  SensorResult r = RunSensor({"NEW", "@"});
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_NE(r.out.find("Logging: LogWrites=0, WaitBusy=0, RollBacks=0, OverFlows=0"),
            std::string::npos)
      << r.out;
}

TEST_F(ScanE2eTest, ScansStartedTogetherLeaveACompleteProfile) {
  constexpr int kRounds = 8;
  constexpr int kScans = 4;
  const std::string others = "; kept as it stands\n# Alm PRD Date=20110601 07:00:00 Writes=5\n";
  WriteProfile("PRD", ProfileFields{}, others);
  std::string previous;
  for (int round = 1; round <= kRounds; ++round) {
    const Counters sample{100u * round, 10u * round, 1u * round, 0};
    WriteSample(sample);
    std::vector<SensorResult> results = box.RunTogether(kScans, {"PRD", "@"});
    // Whoever renames first wins; the others wrote the same text or saw it
    // and left it alone.
    for (const SensorResult& r : results) EXPECT_EQ(r.exit_code, 0) << round << r.out;
    std::string latest = History("Alg", "20110601 09:05:07", sample);
    EXPECT_EQ(box.ReadFile("PRD.P00"), Profile(others + latest + previous)) << round;
    EXPECT_EQ(std::distance(fs::directory_iterator(box.dir()), fs::directory_iterator()), 2)
        << round;
    previous = "# Alx" + latest.substr(5);
  }
  const Counters last{100u * kRounds + 7, 10u * kRounds + 3, 1u * kRounds + 2, 1};
  WriteSample(last, "Wed Jun  1 12:00:00 2011");
  ExpectScan(Scan(), {7, 3, 2, 1},
             Profile(others + History("Alg", "20110601 12:00:00", last) + previous),
             "after the concurrent rounds");
}

}  // namespace
}  // namespace quillmeter
