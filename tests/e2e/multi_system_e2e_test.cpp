// The multi-system run end to end: the built sensor works through a global
// server listing or an item profile against several simulated systems.
#include <filesystem>

#include "sensor_fixture.h"

namespace quillmeter {
namespace {

constexpr const char kAllocationEnd[] = ",Sensor=\"SAP Quillmeter\"\n";

class MultiSystemE2eTest : public SensorTest {
 protected:
  void SetUp() override {
    for (const char* sid : {"PRD", "QAS", "DEV"}) System(sid, "1000");
    RecordLibraryCalls();
  }

  // Profile `sid`.P00 and a simulated system whose log writes stand at
  // `logpages`, with `more` description lines.
  void System(const std::string& sid, const std::string& logpages, const std::string& more = "") {
    ProfileFields fields;
    fields.destination = sid;
    WriteProfile(sid, fields);
    Counters(sid, logpages, more);
  }
  void Counters(const std::string& sid, const std::string& logpages, const std::string& more = "") {
    ProfileFields fields;
    fields.destination = sid;
    WriteSystem(fields, "lastcoll Mon Dec  7 10:11:12 2026\nst04line\nLOGPAGES " + logpages +
                            "\nLOGWAITS 3\n" + more);
  }
  void Listing(const std::string& lines) { box.WriteFile("SAP Tessarin.Gbl", lines); }
  void ItemProfile(const std::string& list) {
    box.WriteFile("Tessarin.Prf", "# Tessarin item profile\n# Gsng: systems     " + list + "\n");
  }
};

TEST_F(MultiSystemE2eTest, ListingCountsEverySystemAndLogsOnOnlyWithValidProfiles) {
  ProfileFields bad;
  bad.destination = "BAD";
  bad.client = "10";  // too short: the logon could only fail
  WriteProfile("BAD", bad);
  WriteSystem(bad);
  System("OFF", "1000", "fail open\n");
  Listing(
      "# GSNG: AB        ::PRD.P00#GONE.P00#BAD.P00#\n"
      "# GSNG: CD        ::DEV.P00#\n"
      "# GSNX: AB        :Item=LogWrites,Alias" +
      std::string(kAllocationEnd) + "# gsng: ab        ::OFF.P00#QAS.P00#\n");

  SensorResult r = RunSensor({"global", "ab", "@"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(MaskedTimes(r.out),
            "* hh:mm:ss SAP Quillmeter Vers 4.3 / 29.08.22\n"
            "* hh:mm:ss Item=LogWrites,Alias State=Executing\n"
            "\n<Prtg>\n\n" +
                Channel("PRD", "0") +
                "\n* hh:mm:ss PRD.P00, sapprd01, PRD, 02, 100 State=Processed\n"
                "\n* hh:mm:ss BAD.P00, sapprd01, BAD, 02, 10 State=Rfc Failure\n"
                "\n* hh:mm:ss OFF.P00, sapprd01, OFF, 02, 100 State=Rfc Failure\n" +
                Channel("QAS", "0") +
                "\n* hh:mm:ss QAS.P00, sapprd01, QAS, 02, 100 State=Processed\n"
                "\n<Text>(***) LogWrites: NoSystems=5, Processed=2, Failed=2 - GONE.P00: missing, "
                "BAD.P00: Rfc Failure (Error 1003: Client.....: shorter than 3 characters (\"10\" "
                "read from column 25; values start in column 25)), OFF.P00: Rfc Failure (RfcOpen: "
                "Error 1011: RFC-Open for OFF failed ! - Connect to simulated system OFF failed: "
                "partner not reached)</Text>\n"
                "\n</Prtg>\n\n"
                "\n* hh:mm:ss SAP Quillmeter now processed...\n");
  const std::string calls = LibraryCalls();
  for (const char* sid : {"PRD", "OFF", "QAS"})
    EXPECT_NE(calls.find(std::string("RfcOpen destination=[") + sid + "]"), std::string::npos)
        << sid;
  EXPECT_EQ(calls.find("BAD"), std::string::npos) << calls;
  EXPECT_EQ(calls.find("DEV"), std::string::npos) << calls;
}

TEST_F(MultiSystemE2eTest, TheSummarySaysWhyEachSystemFailed) {
  // Profile `name`.P00 of the simulated system `sid`, described by `more`.
  auto system = [&](const std::string& name, const std::string& sid, const std::string& more,
                    const std::string& extra_lines = "") {
    ProfileFields fields;
    fields.destination = sid;
    WriteProfile(name, fields, extra_lines);
    WriteSystem(fields, "lastcoll Mon Dec  7 10:11:12 2026\ntrace off\n" + more);
  };
  // M2's profile is too large to write back under the file-size limit.
  system("M2", "MTW", "", std::string(2000, '#') + "\n");
  ProfileFields bad;
  bad.destination = "BAD";
  bad.client = "10";
  WriteProfile("BAD", bad);
  system("X", "XEX", "fail receive ADA_ST04 2 NO_DATA\n");
  system("G", "GUA", "");
  ProfileFields changed;  // G's password was changed in SAP only
  changed.destination = "GUA";
  changed.password = "Changed99";
  WriteSystem(changed, "trace off\n");
  system("H", "HNG", "fail hang ADA_ST04\n");
  std::filesystem::remove(box.Path("SimRfc.log"));
  ItemProfile("PRD.P00#M2.P00#BAD.P00#X.P00#G.P00#H.P00#");
  RunOptions limited;
  limited.file_size_limit = 1024;
  for (int run = 0; run < 2; ++run) {  // refused, then guarded
    SensorResult r = RunSensor({"x", "Item=LogWrites", "@ timeout=3"}, limited);
    EXPECT_EQ(r.exit_code, 0) << r.out;
    EXPECT_NE(r.out.find("<Text>(***) LogWrites: NoSystems=6, Processed=1, Failed=5 - M2.P00: Rfc "
                         "Failure (history not written: File too large), BAD.P00: Rfc Failure "
                         "(Error 1003: Client.....: shorter than 3 characters (\"10\" read from "
                         "column 25; values start in column 25)), X.P00: Rfc Failure (ADA_ST04: "
                         "Error 1012: Exception.: NO_DATA - Look for Trace-File), G.P00: Logon "
                         "Refused (Name or password is incorrect (repeat logon)), H.P00: Timeout "
                         "(ADA_ST04)</Text>"),
              std::string::npos)
        << run << r.out;
  }
}

TEST_F(MultiSystemE2eTest, LabelKindsAndItems) {
  ProfileFields main;
  main.destination = "PRD";
  main.host = "sapprdci";
  WriteProfile("PRD_MAIN", main);
  ItemProfile("PRD_MAIN.P00#");
  const struct {
    std::vector<std::string> args;
    std::string allocation;
    std::string channel;  // empty: an item that names no figure
  } cases[] = {
      {{"x", "Item=RollBacks", "@"}, "", "PRD_MAIN.P00"},
      {{"global", "ab", "@"}, "Item=WaitBusy", "PRD_MAIN.P00"},
      {{"global", "ab", "@"}, "Item=WaitBusy,Profile", "PRD_MAIN.P00"},
      {{"global", "ab", "@"}, "Item=WaitBusy,Alias", "PRD_MAIN"},
      {{"global", "ab", "@"}, "Item=WaitBusy,Host", "sapprdci"},
      {{"global", "ab", "@"}, "Item=WaitBusy,Sid", "PRD"},
      {{"x", "Item=Bogus", "@"}, "", ""},
      {{"global", "ab", "@"}, "Item=Waitbusy,Sid", ""},
  };
  for (const auto& c : cases) {
    Listing("# GSNG: AB        ::PRD_MAIN.P00#\n# GSNX: AB        :" + c.allocation +
            kAllocationEnd);
    SensorResult r = RunSensor(c.args);
    const std::string name = c.args[1] + " " + c.allocation;
    EXPECT_EQ(r.exit_code, c.channel.empty() ? 2 : 0) << name;
    if (c.channel.empty()) {
      EXPECT_EQ(r.out.find("<Channel>"), std::string::npos) << name;
      EXPECT_NE(r.out.find(" is none of LogWrites, WaitBusy, RollBacks, Overflows !</Text>"),
                std::string::npos)
          << name << r.out;
    } else {
      EXPECT_NE(r.out.find("\n<Prtg>\n\n" + Channel(c.channel, "0") + "\n* "), std::string::npos)
          << name << r.out;
      EXPECT_NE(r.out.find(": NoSystems=1, Processed=1, Failed=0</Text>"), std::string::npos)
          << name;
    }
  }
}

TEST_F(MultiSystemE2eTest, EachSensorReportsGrowthAndSingleScansLeaveItAlone) {
  ItemProfile("PRD.P00#QAS.P00#");
  Listing("# GSNG: AB        ::QAS.P00#PRD.P00#\n# GSNX: AB        :Item=LogWrites,Sid" +
          std::string(kAllocationEnd));
  Counters("QAS", "50");
  const std::vector<std::string> item = {"x", "Item=LogWrites", "@"};
  const std::vector<std::string> global = {"global", "ab", "@"};
  EXPECT_NE(RunSensor(item).out.find(Channel("PRD.P00", "0") + "\n* "), std::string::npos);
  EXPECT_NE(RunSensor(global).out.find(Channel("QAS", "0") + "\n* "), std::string::npos);

  // A single-system scan in between keeps its own history.
  Counters("PRD", "1200");
  EXPECT_NE(RunSensor({"PRD", "@"}).out.find("<Text>(PRD) Logging: LogWrites=0,"),
            std::string::npos);

  Counters("PRD", "1500");
  Counters("QAS", "80");
  SensorResult r = RunSensor(item);
  EXPECT_NE(r.out.find(Channel("PRD.P00", "500") + "\n* "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(Channel("QAS.P00", "30") + "\n* "), std::string::npos) << r.out;
  r = RunSensor(global);
  EXPECT_NE(r.out.find(Channel("QAS", "30") + "\n* "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(Channel("PRD", "500") + "\n* "), std::string::npos) << r.out;
  r = RunSensor({"PRD", "@"});
  EXPECT_NE(r.out.find("<Text>(PRD) Logging: LogWrites=300,"), std::string::npos) << r.out;

  const std::string prd = box.ReadFile("PRD.P00");
  EXPECT_EQ(Count(prd, "# Alm Tessarin.Prf/LogWrites Date=20261207 10:11:12 Writes=1500 "), 1u)
      << prd;
  EXPECT_EQ(Count(prd, "# Alm SAP Tessarin.Gbl:AB/LogWrites Date=20261207 10:11:12 Writes=1500 "),
            1u)
      << prd;
  EXPECT_EQ(Count(prd, "# Alg Date=20261207 10:11:12 Writes=1500 "), 1u) << prd;
  EXPECT_EQ(Count(prd, "# Alx Date=20261207 10:11:12 Writes=1200 "), 1u) << prd;
}

TEST_F(MultiSystemE2eTest, RunEndingFaultFinishesTheOneDocument) {
  const struct {
    std::string more;
    std::string message;
  } cases[] = {
      {"fail call GET_CPU_ALL 1\n",
       "Error 1014: RFC-Failure raised ! - Call of GET_CPU_ALL in simulated system QAS failed "
       "(result 1) - QAS.P00"},
      {"database ORACLE\n", "Error 1018: DataBase mismatch ! - QAS.P00: the database is ORACLE"},
  };
  System("TST", "1000");
  ItemProfile("PRD.P00#QAS.P00#DEV.P00#TST.P00#");
  const std::string dev = box.ReadFile("DEV.P00"), tst = box.ReadFile("TST.P00");
  for (const auto& c : cases) {
    Counters("QAS", "1000", c.more);
    RecordLibraryCalls();
    SensorResult r = RunSensor({"x", "Item=LogWrites", "@"});
    EXPECT_EQ(r.exit_code, 2) << c.message;
    EXPECT_EQ(MaskedTimes(r.out),
              "* hh:mm:ss SAP Quillmeter Vers 4.3 / 29.08.22\n"
              "* hh:mm:ss Item=LogWrites State=Executing\n"
              "\n<Prtg>\n\n" +
                  Channel("PRD.P00", "0") +
                  "\n* hh:mm:ss PRD.P00, sapprd01, PRD, 02, 100 State=Processed\n"
                  "<Error>1</Error>\n<Text>" +
                  c.message + "</Text>\n</Prtg>\n")
        << c.message;
    // The systems after it may be scanned already, or stopped; none is written.
    EXPECT_EQ(box.ReadFile("DEV.P00"), dev) << c.message;
    EXPECT_EQ(box.ReadFile("TST.P00"), tst) << c.message;
  }
}

TEST_F(MultiSystemE2eTest, AnUnknownItemLogsOnNowhereAndLeavesEveryProfile) {
  ItemProfile("PRD.P00#QAS.P00#");
  const std::string prd = box.ReadFile("PRD.P00"), qas = box.ReadFile("QAS.P00");
  SensorResult r = RunSensor({"x", "Item=logwrites", "@"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.out, ErrorDocument("Error 1046: Item logwrites is none of LogWrites, WaitBusy, "
                                 "RollBacks, Overflows !"));
  EXPECT_EQ(LibraryCalls(), "") << "no logon, no library call at all";
  EXPECT_EQ(box.ReadFile("PRD.P00"), prd);
  EXPECT_EQ(box.ReadFile("QAS.P00"), qas);
}

TEST_F(MultiSystemE2eTest, ALibraryThatEndsItsWorkerFailsOnlyItsSystem) {
  ItemProfile("PRD.P00#QAS.P00#DEV.P00#");
  Counters("QAS", "1000", "fail handler ADA_ST04\n");
  SensorResult r = RunSensor({"x", "Item=LogWrites", "@"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(MaskedTimes(r.out),
            "* hh:mm:ss SAP Quillmeter Vers 4.3 / 29.08.22\n"
            "* hh:mm:ss Item=LogWrites State=Executing\n"
            "\n<Prtg>\n\n" +
                Channel("PRD.P00", "0") +
                "\n* hh:mm:ss PRD.P00, sapprd01, PRD, 02, 100 State=Processed\n"
                "\n* hh:mm:ss QAS.P00, sapprd01, QAS, 02, 100 State=Rfc Failure\n" +
                Channel("DEV.P00", "0") +
                "\n* hh:mm:ss DEV.P00, sapprd01, DEV, 02, 100 State=Processed\n"
                "\n<Text>(***) LogWrites: NoSystems=3, Processed=2, Failed=1 - QAS.P00: Rfc "
                "Failure (RFC error - operation/code: RfcCall ADA_ST04 - key: SYSTEM_FAILURE - "
                "message: Connection to simulated system QAS broken)</Text>\n\n</Prtg>\n\n"
                "\n* hh:mm:ss SAP Quillmeter now processed...\n");
  EXPECT_NE(box.ReadFile("DEV.P00").find("# Alm Tessarin.Prf/LogWrites "), std::string::npos);
}

TEST_F(MultiSystemE2eTest, WorkersThatOpenAtOnceEachReadTheirOwnDestination) {
  // Every system opens through a per-destination file, and the library
  // reads SapRfc.ini while it connects: workers that copied over each other's
  // file would open with the wrong destination.
  std::string list;
  for (const char* sid : {"PRD", "QAS", "DEV", "TST"}) {
    System(sid, "1000", "latency 20\n");
    box.WriteFile(std::string("SapRfc.") + sid, std::string("DEST=") + sid + "\n");
    list += std::string(sid) + ".P00#";
  }
  ItemProfile(list);
  for (int round = 0; round < 3; ++round) {
    SensorResult r = RunSensor({"x", "Item=LogWrites", "@,JOBS=4"});
    EXPECT_EQ(r.exit_code, 0) << round;
    EXPECT_NE(r.out.find("NoSystems=4, Processed=4, Failed=0</Text>"), std::string::npos)
        << round << r.out;
  }
}

TEST_F(MultiSystemE2eTest, SystemsThatRefuseTheSharedUserAreLoggedOnOnceAcrossTenRuns) {
  // One RFC user on all three; its password changed on QAS and DEV only.
  for (const char* sid : {"QAS", "DEV"}) {
    ProfileFields changed;
    changed.destination = sid;
    changed.password = "Changed99";
    WriteSystem(changed, "lockafter 3\n");
  }
  ItemProfile("PRD.P00#QAS.P00#DEV.P00#");
  for (int run = 0; run < 10; ++run) {
    SensorResult r = RunSensor({"x", "Item=LogWrites", "@"});
    EXPECT_EQ(r.exit_code, 0) << run;
    EXPECT_NE(r.out.find("<Text>(***) LogWrites: NoSystems=3, Processed=1, Failed=2 - QAS.P00: "
                         "Logon Refused (Name or password is incorrect (repeat logon)), DEV.P00: "
                         "Logon Refused (Name or password is incorrect (repeat logon))</Text>"),
              std::string::npos)
        << run << r.out;
    EXPECT_NE(r.out.find("DEV, 02, 100 State=Logon Refused\n"), std::string::npos) << r.out;
  }
  const std::string calls = LibraryCalls();
  EXPECT_EQ(Count(calls, "RfcOpen destination=[PRD]"), 10u);
  EXPECT_EQ(Count(calls, "RfcOpen destination=[QAS]"), 1u) << calls;
  EXPECT_EQ(Count(calls, "RfcOpen destination=[DEV]"), 1u) << calls;
  EXPECT_EQ(Count(calls, "logon refused (1 in a row)"), 2u) << calls;
  for (const char* sid : {"QAS", "DEV"})
    EXPECT_NE(box.ReadFile(std::string(sid) + ".P00").find("# Alb Date="), std::string::npos);
  EXPECT_EQ(box.ReadFile("PRD.P00").find("# Alb "), std::string::npos);
}

// Six systems through two workers, the second of them unusual; the others
// take a while, so that it is done with long before they are.
class WorkerPoolE2eTest : public MultiSystemE2eTest {
 protected:
  void Six(const std::string& second) {
    for (const char* sid : {"PRD", "DEV", "TST", "INT", "SBX"}) System(sid, "1000", "latency 50\n");
    System("QAS", "1000", second);
    ItemProfile("PRD.P00#QAS.P00#DEV.P00#TST.P00#INT.P00#SBX.P00#");
  }
  // The document and console lines of the six, the second with `state`,
  // which the summary gives with `cause`.
  static std::string Expected(const std::string& state, const std::string& cause) {
    std::string out =
        "* hh:mm:ss SAP Quillmeter Vers 4.3 / 29.08.22\n"
        "* hh:mm:ss Item=LogWrites State=Executing\n"
        "\n<Prtg>\n\n";
    for (const char* sid : {"PRD", "QAS", "DEV", "TST", "INT", "SBX"}) {
      const std::string name = std::string(sid) + ".P00";
      const bool second = std::string(sid) == "QAS";
      out += (second ? "" : Channel(name, "0")) + "\n* hh:mm:ss " + name + ", sapprd01, " + sid +
             ", 02, 100 State=" + (second ? state : "Processed") + "\n";
    }
    return out + "\n<Text>(***) LogWrites: NoSystems=6, Processed=5, Failed=1 - QAS.P00: " + state +
           " (" + cause + ")</Text>\n\n</Prtg>\n\n\n* hh:mm:ss SAP Quillmeter now processed...\n";
  }
  void ExpectFiveWritten() {
    for (const char* sid : {"PRD", "DEV", "TST", "INT", "SBX"})
      EXPECT_NE(box.ReadFile(std::string(sid) + ".P00").find("# Alm Tessarin.Prf/LogWrites "),
                std::string::npos)
          << sid;
    EXPECT_EQ(box.ReadFile("QAS.P00").find("# Alm"), std::string::npos);
  }
};

TEST_F(WorkerPoolE2eTest, AWorkerTheLibraryEndsCostsOnlyItsSystemAndANewOneTakesTheRest) {
  Six("fail handler ADA_ST04\n");
  SensorResult r = RunSensor({"x", "Item=LogWrites", "@ JOBS=2"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(MaskedTimes(r.out), Expected("Rfc Failure", "RFC error - operation/code: RfcCall ADA_ST04 - key: "
                                                "SYSTEM_FAILURE - message: Connection to simulated "
                                                "system QAS broken"));
  ExpectFiveWritten();
  const std::string calls = LibraryCalls();
  EXPECT_EQ(Count(calls, "New process\n"), 3u) << "two, and one for the dead\n" << calls;
  // The library's types once in each process; a connection for each system.
  EXPECT_EQ(Count(calls, "RfcInstallStructure CPU_ALL "), 3u) << calls;
  EXPECT_EQ(Count(calls, "RfcOpen destination="), 6u) << calls;
  EXPECT_EQ(Count(calls, "RfcClose "), 6u) << calls;
}

TEST_F(WorkerPoolE2eTest, AWorkerThatHangsIsStoppedAtTheDeadlineAndTheOtherTakesTheRest) {
  Six("fail hang ADA_ST04\n");
  SensorResult r = RunSensor({"x", "Item=LogWrites", "@ JOBS=2 timeout=5"});
  EXPECT_EQ(r.exit_code, 0);
  // The hang never ends: any bound shows the stop. The answer is claimed
  // before the deadline; a sanitized process's exit on a busy machine may
  // take the rest of a second.
  EXPECT_LT(r.seconds, 6.0);
  EXPECT_EQ(MaskedTimes(r.out), Expected("Timeout", "ADA_ST04"));
  ExpectFiveWritten();
  EXPECT_EQ(Count(LibraryCalls(), "New process\n"), 2u) << LibraryCalls();
}

}  // namespace
}  // namespace quillmeter
