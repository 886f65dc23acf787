#include "profiles/multi_system_run.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "driver/run.h"
#include "platform/fake_platform.h"
#include "profiles/profile_text.h"
#include "queries/fake_rfc.h"

namespace quillmeter {
namespace {

constexpr const char kSensorDir[] = "/Programme/PRTG Network Monitor/Custom Sensors/ExeXml/";

// What one simulated system answers once it is opened.
struct SystemAnswers {
  bool open_fails = false;
  std::string database = "ADABAS D";
  std::string logpages = "0";
  RFC_RC call_result = kRfcOk;  // of every call on this system
};

// The systems behind the fake library, by destination, and the
// destinations the sensor opened, in order.
std::map<std::string, SystemAnswers>& Systems() {
  static std::map<std::string, SystemAnswers> systems;
  return systems;
}
std::vector<std::string>& Opened() {
  static std::vector<std::string> opened;
  return opened;
}

// Switches the shared fake to the answers of `destination`.
RFC_HANDLE Open(const std::string& destination) {
  Opened().push_back(destination);
  const SystemAnswers& answers = Systems()[destination];
  if (answers.open_fails) return 0;
  FakeRfc& fake = TheFakeRfc();
  fake.database_system = answers.database;
  fake.call_result = answers.call_result;
  fake.monitor_lines = {MonitorLine(answers.logpages, "0", "0", "0")};
  return 7;
}
RFC_HANDLE QM_RFC_CALL SystemOpen(RFC_OPTIONS* options) { return Open(options->destination); }
RFC_HANDLE QM_RFC_CALL SystemOpenEx(char* connect, RFC_ERROR_INFO_EX*) {
  std::string text = connect;
  return Open(text.substr(text.find("DEST=") + 5));
}

std::string Profile(const std::string& destination, const std::string& host = "sapprd01") {
  ProfileFields fields;
  fields.destination = destination;
  fields.host = host;
  return ProfileText(fields);
}

std::string Channel(const std::string& name, const std::string& value) {
  return "\n<Result><Channel>" + name + "</Channel>\n<Value>" + value + "</Value></Result>\n";
}

std::string Summary(const std::string& text) {
  return "\n<Text>(***) " + text + "</Text>\n\n</Prtg>\n\n";
}

class MultiSystemRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFakeRfc();
    Systems().clear();
    Opened().clear();
    for (const char* sid : {"PRD", "QAS", "DEV"}) {
      Put(std::string(sid) + ".P00", Profile(sid, "sap" + std::string(sid) + "01"));
      Systems()[sid];
    }
  }

  void Put(const std::string& name, const std::string& contents) {
    platform.files[kSensorDir + name] = contents;
  }
  std::string& File(const std::string& name) { return platform.files[kSensorDir + name]; }
  void ItemProfile(const std::string& list) { Put("Tessarin.Prf", "# Gsng: list        " + list); }

  // One scan, as PRTG starts it, with the fake library already loaded.
  int Scan(std::vector<std::string> args, bool library = true) {
    out.str("");
    RunState run(platform, out);
    run.arguments = std::move(args);
    if (library) {
      run.rfc = MakeFakeRfcLibrary();
      run.rfc->RfcOpen = SystemOpen;
      run.rfc->RfcOpenEx = SystemOpenEx;
    }
    return RunSensor(run);
  }

  // The state its trace line gives the system.
  std::string StateOf(const std::string& name) const {
    std::string text = out.str();
    size_t line = text.find("* 10:11:12 " + name + ", ");
    if (line == std::string::npos) return "(no line)";
    size_t state = text.find(" State=", line) + 7;
    return text.substr(state, text.find('\n', state) - state);
  }

  FakePlatform platform;
  std::ostringstream out;
};

TEST_F(MultiSystemRunTest, MissingProfileCountsOnlyAsASystem) {
  ItemProfile("PRD.P00#GONE.P00#QAS.P00#");
  EXPECT_EQ(Scan({"x", "Item=LogWrites"}), 0);
  EXPECT_EQ(out.str(), "\n<Prtg>\n\n" + Channel("PRD.P00", "0") + Channel("QAS.P00", "0") +
                           Summary("LogWrites: NoSystems=3, Processed=2, Failed=0"));
  EXPECT_EQ(Opened(), (std::vector<std::string>{"PRD", "QAS"}));
}

TEST_F(MultiSystemRunTest, UnusableNamesFailWithoutBeingRead) {
  const std::string long_name = std::string(64, 'L') + ".P00";
  Put(long_name, Profile("LONG"));
  ItemProfile(long_name + "#" + std::string("PRD.P00\0x", 9) + "#QAS.P00#");
  EXPECT_EQ(Scan({"x", "Item=LogWrites"}), 0);
  EXPECT_EQ(Opened(), std::vector<std::string>{"QAS"});
  EXPECT_NE(out.str().find("NoSystems=3, Processed=1, Failed=2"), std::string::npos) << out.str();
  for (const std::string& read : platform.reads)
    EXPECT_EQ(read.find("LLLL"), std::string::npos) << read;
}

TEST_F(MultiSystemRunTest, FaultySystemsFailWithoutStoppingTheRun) {
  struct Case {
    const char* name;
    std::string profile;
    bool open_fails;
    bool opened;
  } cases[] = {
      {"no Extcompany line", Profile("QAS").substr(Profile("QAS").find('\n') + 1), false, false},
      {"short client", Profile("QAS").replace(Profile("QAS").find("100"), 3, "10"), false, false},
      {"faulty stored password",
       Profile("QAS").replace(Profile("QAS").find("Password...:") + 25, 1, "X"), false, false},
      {"failed open", Profile("QAS"), true, true},
  };
  for (const Case& c : cases) {
    SetUp();
    ItemProfile("PRD.P00#QAS.P00#DEV.P00#");
    File("QAS.P00") = c.profile;
    Systems()["QAS"].open_fails = c.open_fails;
    EXPECT_EQ(Scan({"x", "Item=LogWrites", "#"}), 0) << c.name;
    std::vector<std::string> opened = {"PRD", "QAS", "DEV"};
    if (!c.opened) opened = {"PRD", "DEV"};
    EXPECT_EQ(Opened(), opened) << c.name;
    EXPECT_EQ(StateOf("QAS.P00"), "Rfc Failure") << c.name << out.str();
    EXPECT_EQ(out.str().find("<Channel>QAS.P00"), std::string::npos) << c.name;
    EXPECT_NE(out.str().find("(***) LogWrites: NoSystems=3, Processed=2, Failed=1</Text>"),
              std::string::npos)
        << c.name;
  }
}

TEST_F(MultiSystemRunTest, UnknownItemIsNotFoundEverywhere) {
  ItemProfile("PRD.P00#QAS.P00#");
  EXPECT_EQ(Scan({"x", "Item=Bogus", "#"}), 0);
  EXPECT_EQ(out.str(),
            "* 10:11:12 SAP Quillmeter Vers 4.3 / 29.08.22\n"
            "* 10:11:12 Item=Bogus # State=Executing\n"
            "\n<Prtg>\n\n"
            "\n* 10:11:12 PRD.P00, sapPRD01, PRD, 02, 100 State=Not Found\n"
            "\n* 10:11:12 QAS.P00, sapQAS01, QAS, 02, 100 State=Not Found\n" +
                Summary("Bogus: NoSystems=2, Processed=0, Failed=2") +
                "\n* 10:11:12 SAP Quillmeter now processed...\n");
}

TEST_F(MultiSystemRunTest, FailedFigureLeavesNoTextBeforeTheSummary) {
  ItemProfile("PRD.P00#");
  const std::string profile = File("PRD.P00");
  platform.fail_next_replace = true;
  EXPECT_EQ(Scan({"x", "Item=LogWrites", "#"}), 0);
  EXPECT_EQ(StateOf("PRD.P00"), "Rfc Failure");
  EXPECT_NE(out.str().find("State=Rfc Failure\n" +
                           Summary("LogWrites: NoSystems=1, Processed=0, Failed=1")),
            std::string::npos)
      << out.str();
  EXPECT_EQ(File("PRD.P00"), profile);
}

TEST_F(MultiSystemRunTest, RunEndingFaultFinishesTheOpenedDocument) {
  struct Case {
    const char* name;
    SystemAnswers answers;
    const char* message;
  } cases[] = {
      {"timestamp",
       {.call_result = kRfcFailure},
       "Error 1014: RFC-Failure raised ! - Look for Trace-File"},
      {"not MaxDB", {.database = "ORACLE"}, "Error 1018: DataBase mismatch !"},
  };
  for (const Case& c : cases) {
    SetUp();
    ItemProfile("PRD.P00#Q&A.P00#DEV.P00#");
    Put("Q&A.P00", Profile("QAS"));
    Systems()["QAS"] = c.answers;
    EXPECT_EQ(Scan({"x", "Item=LogWrites"}), 2) << c.name;
    EXPECT_EQ(out.str(), "\n<Prtg>\n\n" + Channel("PRD.P00", "0") + "<Error>1</Error>\n<Text>" +
                             c.message + "</Text>\n</Prtg>\n")
        << c.name;
    EXPECT_EQ(Opened(), (std::vector<std::string>{"PRD", "QAS"})) << c.name;
    EXPECT_EQ(TheFakeRfc().calls.back(), "RfcClose 7") << c.name;
  }
}

TEST_F(MultiSystemRunTest, FaultsBeforeTheDocumentGiveOneErrorDocument) {
  ItemProfile("PRD.P00#");
  EXPECT_EQ(Scan({"x", "Item=LogWrites"}, false), 2);
  EXPECT_EQ(out.str().rfind("<Prtg>\n<Error>1</Error>\n<Text>Error 1040: RFC library ", 0), 0u)
      << out.str();
  EXPECT_EQ(out.str().find("<Prtg>", 1), std::string::npos);

  Put("SAP Tessarin.Gbl", "# GSNG: AB        ::PRD.P00#\n");
  EXPECT_EQ(Scan({"global", "ab", "#"}), 2);
  EXPECT_EQ(out.str(),
            "<Prtg>\n<Error>1</Error>\n<Text>Error 1030: Global Sensor ab not found..."
            "</Text>\n</Prtg>\n");
  EXPECT_TRUE(Opened().empty());
}

}  // namespace
}  // namespace quillmeter
