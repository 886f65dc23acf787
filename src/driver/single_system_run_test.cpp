// Whole single-system runs in this process, over the fake SAP library.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "driver/sensor.h"
#include "platform/fake_platform.h"
#include "profiles/profile_text.h"
#include "rfc/fake_sap_system.h"

namespace quillmeter {
namespace {

constexpr const char kSensorDir[] = "/Programme/PRTG Network Monitor/Custom Sensors/ExeXml/";
const std::string kPath = std::string(kSensorDir) + "PRD.P00";

std::string ErrorDocument(const std::string& message) {
  return "<Prtg>\n<Error>1</Error>\n<Text>" + message + "</Text>\n</Prtg>\n";
}

// The EXEXML document of a scan with these figures.
std::string Document(const std::string& destination, const std::string& summary,
                     const std::vector<std::string>& values) {
  const char* channels[] = {"LogWrites", "WaitBusy", "RollBacks", "Overflows"};
  std::string document =
      "\n<Prtg>\n\n<Text>(" + destination + ") Logging: " + summary + "</Text>\n";
  for (size_t i = 0; i < 4; ++i)
    document += "\n<Result><Channel>" + std::string(channels[i]) + "</Channel>\n<Value>" +
                values[i] + "</Value></Result>\n";
  return document + "\n</Prtg>\n";
}

class SingleSystemRunTest : public ::testing::Test {
 protected:
  void SetUp() override { platform.files[kPath] = ProfileText(); }

  int Run(const std::vector<std::string>& args) {
    out.str("");
    SensorContext context(platform, out);
    context.roots = {"/root/PRTG_Path.Txt", ""};
    context.load_library = [&](RfcLibraryChoice, FailureSink&, std::unique_ptr<SapLibrary>* loaded) {
      *loaded = library.Lend();
      return Status::Ok();
    };
    return RunSensor(args, context);
  }
  FakeSystemSetup& System() { return library.systems["PRD"]; }

  FakePlatform platform;
  FakeSapLibrary library;
  std::ostringstream out;
};

TEST_F(SingleSystemRunTest, AScanReportsItsGrowthAndKeepsTheSample) {
  platform.files[kPath] +=
      "# Alg Date=20261207 09:00:00 Writes=1000 WaitBusy=5 RollBacks=7 "
      "OverFlows=1\n";
  System().monitor_line = MonitorLine("1.234.567", "5", "10", "3");
  EXPECT_EQ(Run({"PRD"}), 0);
  EXPECT_EQ(out.str(), Document("PRD", "LogWrites=1.233.567, WaitBusy=0, RollBacks=3, OverFlows=2",
                                {"1233567", "0", "3", "2"}));
  EXPECT_EQ(platform.files[kPath],
            ProfileText() +
                "# Alg Date=20261207 10:11:12 Writes=1234567 WaitBusy=5 RollBacks=10 "
                "OverFlows=3\n# Alx Date=20261207 09:00:00 Writes=1000 WaitBusy=5 RollBacks=7 "
                "OverFlows=1\n");
  EXPECT_EQ(library.calls,
            (std::vector<std::string>{"NewSystem", "Open PRD", "ReadCollectionTime PRD",
                                      "ReadSystemInfo PRD", "ReadMonitorLine PRD", "Close PRD",
                                      "DiscardTrace"}));
}

TEST_F(SingleSystemRunTest, EveryFailureIsItsErrorDocumentAndLeavesProfileAndTrace) {
  const Status failed = Status::Error("Error 1013: Sys-Exception raised ! - x");
  struct Case {
    const char* name;
    FakeSystemSetup setup;
    bool fail_replace;
    std::string message;
  } cases[] = {
      {"open", FakeSystemSetup().FailOpen(Status::Error("Error 1011: RFC-Open for PRD failed !")),
       false, "Error 1011: RFC-Open for PRD failed !"},
      {"collection time", FakeSystemSetup().FailCollection(failed), false, failed.message()},
      {"system information", FakeSystemSetup().FailInfo(failed), false, failed.message()},
      {"not MaxDB", FakeSystemSetup().Database("ORACLE    "), false,
       "Error 1018: DataBase mismatch ! - the database is ORACLE"},
      {"monitor", FakeSystemSetup().FailMonitor(failed), false, failed.message()},
      {"rewrite",
       {},
       true,
       "Error 1016: ReWriting of Profile PRD.P00 failed ! - Read-only file system"},
  };
  for (const Case& c : cases) {
    library = FakeSapLibrary();
    System() = c.setup;
    platform.fail_next_replace = c.fail_replace;
    EXPECT_EQ(Run({"PRD"}), 2) << c.name;
    EXPECT_EQ(out.str(), ErrorDocument(c.message)) << c.name;
    EXPECT_EQ(platform.files[kPath], ProfileText()) << c.name;
    EXPECT_EQ(std::count(library.calls.begin(), library.calls.end(), "DiscardTrace"), 0) << c.name;
    EXPECT_EQ(std::count(library.calls.begin(), library.calls.end(), "Open PRD") -
                  std::count(library.calls.begin(), library.calls.end(), "Close PRD"),
              c.setup.open.ok() ? 0 : 1)
        << c.name << ": every connection opened is closed";
  }
}

TEST_F(SingleSystemRunTest, ConsoleTraceFramesTheDocument) {
  platform.files["/work/PRD.P00"] = ProfileText();
  System().console_note = "* note of the open";
  EXPECT_EQ(Run({"/work/PRD", "@", ",HOST=h2 #x"}), 0);
  EXPECT_EQ(out.str(),
            "* 10:11:12 SAP Quillmeter Vers 4.3 / 29.08.22\n"
            "* 10:11:12 PRD.P00, sapprd01, PRD, 02, 100 State=Processing\n"
            "* 10:11:12 Quillmeter - (No Parameters) State=Executing\n"
            "* note of the open\n" +
                Document("PRD", "LogWrites=0, WaitBusy=0, RollBacks=0, OverFlows=0",
                         {"0", "0", "0", "0"}) +
                "\n* 10:11:12 SAP Quillmeter now processed...\n");
  ASSERT_EQ(library.opens.size(), 1u);
  EXPECT_EQ(library.opens[0].overrides.host, "h2");
  EXPECT_EQ(library.opens[0].profile_name, "PRD.P00");
}

TEST_F(SingleSystemRunTest, EveryOutputModeGetsSummaryAndChannels) {
  ProfileFields fields;
  fields.destination = "R&D";
  System() = FakeSystemSetup();
  library.systems["R&D"].monitor_line = MonitorLine("1000", "2", "3", "4");
  struct Case {
    const char* marker;  // beside the executable
    const char* parameters;
    std::string out;
  } cases[] = {
      {nullptr, "",
       Document("R&amp;D", "LogWrites=1.000, WaitBusy=2, RollBacks=3, OverFlows=4",
                {"1000", "2", "3", "4"})},
      {"Quillmeter.Quintara", "",
       "\n# (R&D) Logging: LogWrites=1.000, WaitBusy=2, RollBacks=3, OverFlows=4"
       "\n\nMessage.LogWrites: LogWrites (#)\nStatistic.LogWrites: 1000"
       "\n\nMessage.WaitBusy: WaitBusy (#)\nStatistic.WaitBusy: 2"
       "\n\nMessage.RollBacks: RollBacks (#)\nStatistic.RollBacks: 3"
       "\n\nMessage.Overflows: Overflows (#)\nStatistic.Overflows: 4\n"},
      {"Quillmeter.Talvren", "",
       "\n# (R&D) Logging: LogWrites=1.000, WaitBusy=2, RollBacks=3, OverFlows=4"
       "\n> LogWrites: 1000 #\n> WaitBusy: 2 #\n> RollBacks: 3 #\n> Overflows: 4 #\n"},
      {"Quillmeter.Talvren", "ch=2", "2\n"},
  };
  for (const Case& c : cases) {
    // A product mode opens the profile where the command line says.
    const std::string profile = ProfileText(
        fields, "# Alg Date=20261207 09:00:00 Writes=0 WaitBusy=0 RollBacks=0 OverFlows=0\n");
    platform.files = {{kPath, profile}, {"/work/PRD.P00", profile}};
    if (c.marker != nullptr) platform.files[platform.executable_dir + c.marker] = "";
    EXPECT_EQ(Run({c.marker ? "/work/PRD" : "PRD", c.parameters}), 0) << c.parameters;
    EXPECT_EQ(out.str(), c.out) << (c.marker ? c.marker : "EXEXML") << " " << c.parameters;
  }
}

TEST_F(SingleSystemRunTest, ARefusedLogonIsSentOnceUntilTheLogonDataChange) {
  System().FailOpen(Status::Refused("Error 1011: RFC-Open for PRD failed !", "User is locked"));
  const std::string refused =
      "Error 1045: Logon to PRD as MONITOR refused on 20261207 10:11:12 - User is locked - not "
      "tried again until User or Password in Profile PRD.P00 change !";
  // A guard that cannot be written cannot keep the next scan away: the
  // administrator must hear of both.
  platform.fail_next_replace = true;
  EXPECT_EQ(Run({"PRD"}), 2);
  EXPECT_EQ(out.str(), ErrorDocument("Error 1016: ReWriting of Profile PRD.P00 failed ! - "
                                     "Read-only file system; the logon was refused: User is "
                                     "locked"));
  EXPECT_EQ(platform.files[kPath], ProfileText());

  for (int scan = 0; scan < 3; ++scan) {
    EXPECT_EQ(Run({"PRD"}), 2);
    EXPECT_EQ(out.str(), ErrorDocument(refused)) << scan;
  }
  EXPECT_EQ(std::count(library.calls.begin(), library.calls.end(), "Open PRD"), 2);
  const std::string guard = platform.files[kPath].substr(ProfileText().size());
  EXPECT_EQ(guard.substr(0, 35), "# Alb Date=20261207 10:11:12 Logon=");
  EXPECT_EQ(guard.substr(guard.size() - 16), " User is locked\n");

  // Another user: the guard does not hold for it, and its logon lifts it.
  ProfileFields other;
  other.user = "monitor2";
  platform.files[kPath] = ProfileText(other) + guard;
  System() = FakeSystemSetup();
  EXPECT_EQ(Run({"PRD"}), 0) << out.str();
  EXPECT_EQ(platform.files[kPath].find("# Alb "), std::string::npos) << platform.files[kPath];
}

TEST_F(SingleSystemRunTest, FaultsBeforeTheLogonNameTheirCause) {
  struct Case {
    std::vector<std::string> args;
    const char* marker;
    std::string message;
  } cases[] = {
      {{}, nullptr, "Error 1001: Parameter for Profile-Name is missing !"},
      {{"qas"},
       nullptr,
       "Error 1002: Profile qas.P00 is missing... - searched: /work/; "
       "/Programme/PRTG Network Monitor/Custom Sensors/ExeXml/; "
       "/Program Files/PRTG Network Monitor/Custom Sensors/ExeXml/; "
       "/Program Files (x86)/PRTG Network Monitor/Custom Sensors/ExeXml/"},
      {{"/work/R&D"},
       "Quillmeter.Quintara",
       "Error 1002: Profile /work/R&D.P00 is missing... - /work/R&D.P00: No such file or "
       "directory"},
      {{"qas", "@"},
       nullptr,
       "Error 1002: Profile qas.P00 is missing... - /work/qas.P00: No such file or directory"},
      {{"prd", std::string(128, 'p')}, nullptr, "Error 1009: Parameters too long !"},
  };
  for (const Case& c : cases) {
    platform.files.clear();
    if (c.marker != nullptr) platform.files[platform.executable_dir + c.marker] = "";
    EXPECT_EQ(Run(c.args), 2) << c.message;
    EXPECT_EQ(out.str(), ErrorDocument(c.message)) << c.message;
  }
  platform.files = {{"prd.P00", ProfileText()}};
  EXPECT_EQ(Run({"prd"}), 2);
  EXPECT_EQ(out.str(),
            ErrorDocument("Sorry, invalid Path-Usage... - not an EXEXML sensor folder: /work/"));
  EXPECT_TRUE(library.calls.empty());
}

}  // namespace
}  // namespace quillmeter
