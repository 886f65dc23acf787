// The multi-system run's pool of workers under Wine: a worker that the
// library ends or that hangs costs only its system, and the others take the
// rest, without a process for every system.
#include "windows_fixture.h"

namespace quillmeter {
namespace {

const std::string kSensorDir = kDefaultDirs[2];

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class WindowsWorkerPoolTest : public WindowsSensorTest {
 protected:
  void SetUp() override {
    WindowsSensorTest::SetUp();
    Install(kSensorDir);
    InstallLibrary();
    Write(kWork + "SimRfc.log", "");
  }
  // Six systems, the second with `second`; the others take `latency` ms a
  // call, so that the second is done with long before they are.
  void Six(const std::string& second, int latency) {
    for (const char* sid : {"PRD", "QAS", "DEV", "TST", "INT", "SBX"})
      WriteSystem(kSensorDir, sid,
                  std::string(sid) == "QAS" ? second : "latency " + std::to_string(latency) + "\n");
    Write(kSensorDir + "Tessarin.Prf",
          "# Gsng: systems     PRD.P00#QAS.P00#DEV.P00#TST.P00#INT.P00#SBX.P00#\r\n");
  }
  static std::string Expected(const std::string& state, const std::string& cause) {
    std::string out = "\n<Prtg>\n\n";
    for (const char* sid : {"PRD", "DEV", "TST", "INT", "SBX"})
      out +=
          "\n<Result><Channel>" + std::string(sid) + ".P00</Channel>\n<Value>0</Value></Result>\n";
    return out + "\n<Text>(***) LogWrites: NoSystems=6, Processed=5, Failed=1 - QAS.P00: " + state +
           " (" + cause + ")</Text>\n\n</Prtg>\n\n";
  }
  static size_t Processes() { return Count(Read(kWork + "SimRfc.log"), "New process\n"); }
};

TEST_F(WindowsWorkerPoolTest, AWorkerTheLibraryEndsCostsOnlyItsSystemAndANewOneTakesTheRest) {
  Six("fail handler ADA_ST04\n", 100);
  SensorOutput output = Run({"x", "Item=LogWrites", "JOBS=2"});
  EXPECT_EQ(output.out, Expected("Rfc Failure",
                                 "RFC error - operation/code: RfcCall ADA_ST04 - "
                                 "key: SYSTEM_FAILURE - message: Connection to "
                                 "simulated system QAS broken"));
  EXPECT_EQ(output.exit_code, 0);
  EXPECT_EQ(Processes(), 3u) << Read(kWork + "SimRfc.log");
  EXPECT_NE(Read(kSensorDir + "SBX.P00").find("# Alm Tessarin.Prf/LogWrites"), std::string::npos);
}

TEST_F(WindowsWorkerPoolTest, AWorkerThatHangsIsStoppedAtTheDeadlineAndTheOtherTakesTheRest) {
  Six("fail hang ADA_ST04\n", 50);
  SensorOutput output = Run({"x", "Item=LogWrites", "JOBS=2 timeout=6"});
  EXPECT_EQ(output.out, Expected("Timeout", "ADA_ST04"));
  EXPECT_EQ(output.exit_code, 0);
  EXPECT_EQ(Processes(), 2u) << Read(kWork + "SimRfc.log");
  EXPECT_NE(Read(kSensorDir + "SBX.P00").find("# Alm Tessarin.Prf/LogWrites"), std::string::npos);
}

}  // namespace
}  // namespace quillmeter
