// Every output mode, end to end: the built sensor with a marker file beside
// it scans a simulated system, and the whole answer is compared.
#include <filesystem>
#include <regex>

#include "sensor_fixture.h"

namespace quillmeter {
namespace {

// Growth since the history line below: 1234567, 12, 4 and 0.
constexpr const char kHistory[] =
    "# Alg Date=20261207 10:00:00 Writes=1000 WaitBusy=10 RollBacks=5 OverFlows=0\n";
constexpr const char kMonitor[] =
    "lastcoll Mon Dec  7 10:11:12 2026\n"
    "st04line\nLOGPAGES 1235567\nLOGWAITS 22\nROLLBACKS 9\nQUEUEOVER 0\n";

constexpr const char kDocument[] =
    "\n<Prtg>\n"
    "\n<Text>(PRD) Logging: LogWrites=1.234.567, WaitBusy=12, RollBacks=4, OverFlows=0</Text>\n"
    "\n<Result><Channel>LogWrites</Channel>\n<Value>1234567</Value></Result>\n"
    "\n<Result><Channel>WaitBusy</Channel>\n<Value>12</Value></Result>\n"
    "\n<Result><Channel>RollBacks</Channel>\n<Value>4</Value></Result>\n"
    "\n<Result><Channel>Overflows</Channel>\n<Value>0</Value></Result>\n"
    "\n</Prtg>\n";

class ModesE2eTest : public SensorTest {
 protected:
  void SetUp() override {
    WriteProfile("PRD", {}, kHistory);
    WriteSystem({}, kMonitor);
  }

  // Runs a copy of the sensor whose directory holds `marker` (none if empty).
  SensorResult RunWithMarker(const std::string& marker, std::vector<std::string> args) {
    RunOptions options;
    options.executable = box.Copy(SensorExecutable(), "bin/quillmeter");
    box.Copy(SimulatedLibrary(), "bin/librfc32.so");
    if (!marker.empty()) box.WriteFile("bin/" + marker, "");
    box.WriteFile("PRD.P00", ProfileText({}, kHistory));
    return RunSensor(args, options);
  }
};

TEST_F(ModesE2eTest, EachModeRendersTheSameScan) {
  const struct {
    const char* marker;
    std::vector<std::string> args;
    std::string expected;
  } cases[] = {
      {"Quillmeter.Vorlind", {"PRD"}, kDocument},
      {"Quillmeter.Drovimo", {"PRD"}, kDocument},
      {"Quillmeter.Quintara",
       {"PRD"},
       "\n# (PRD) Logging: LogWrites=1.234.567, WaitBusy=12, RollBacks=4, OverFlows=0"
       "\n\nMessage.LogWrites: LogWrites (#)\nStatistic.LogWrites: 1234567"
       "\n\nMessage.WaitBusy: WaitBusy (#)\nStatistic.WaitBusy: 12"
       "\n\nMessage.RollBacks: RollBacks (#)\nStatistic.RollBacks: 4"
       "\n\nMessage.Overflows: Overflows (#)\nStatistic.Overflows: 0\n"},
      {"Quillmeter.Talvren",
       {"PRD"},
       "\n# (PRD) Logging: LogWrites=1.234.567, WaitBusy=12, RollBacks=4, OverFlows=0"
       "\n> LogWrites: 1234567 #\n> WaitBusy: 12 #\n> RollBacks: 4 #\n> Overflows: 0 #\n"},
      {"Quillmeter.Talvren", {"PRD", "ch=2"}, "12\n"},
  };
  for (const auto& c : cases) {
    SensorResult r = RunWithMarker(c.marker, c.args);
    EXPECT_EQ(r.exit_code, 0) << c.marker;
    EXPECT_EQ(r.out, c.expected) << c.marker;
    std::filesystem::remove(box.Path("bin/") + c.marker);
  }
}

TEST_F(ModesE2eTest, PrtgModeFramesTheDocumentWithTraceLinesOnly) {
  SensorResult r = RunWithMarker("", {"PRD", "@"});
  EXPECT_EQ(r.exit_code, 0);
  const std::string time = "\\* \\d\\d:\\d\\d:\\d\\d ";
  std::regex trace(time + "SAP Quillmeter Vers 4\\.3 / 29\\.08\\.22\n" + time +
                   "PRD\\.P00, sapprd01, PRD, 02, 100 State=Processing\n" + time +
                   "Quillmeter - \\(No Parameters\\) State=Executing\n([^]*)\n" + time +
                   "SAP Quillmeter now processed\\.\\.\\.\n");
  std::smatch match;
  ASSERT_TRUE(std::regex_match(r.out, match, trace)) << r.out;
  EXPECT_EQ(match[1].str(), kDocument);
}

TEST_F(ModesE2eTest, SeveralMarkersTheLastInOrderWins) {
  box.WriteFile("bin/Quillmeter.Talvren", "");
  SensorResult r = RunWithMarker("Quillmeter.Vorlind", {"PRD", "CH=1"});
  EXPECT_EQ(r.out, "1234567\n");
}

}  // namespace
}  // namespace quillmeter
