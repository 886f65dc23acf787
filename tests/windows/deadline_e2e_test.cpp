// The run's deadline and the multi-system run's workers under Wine: a
// system that stops answering costs the run neither its answer nor its
// other systems, and no quillmeter.exe outlives the run.
#include <windows.h>
// after windows.h, whose types it uses
#include <tlhelp32.h>

#include <chrono>
#include <thread>

#include "windows_fixture.h"

namespace quillmeter {
namespace {

const std::string kSensorDir = kDefaultDirs[2];

// The quillmeter.exe processes running, a moment after a run: a worker
// killed with its job needs that moment to go.
int Leftovers() {
  int count = 0;
  for (int attempt = 0; attempt < 50; ++attempt) {
    count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
      if (_stricmp(entry.szExeFile, "quillmeter.exe") == 0) ++count;
    CloseHandle(snapshot);
    if (count == 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return count;
}

std::string Channel(const std::string& name, const std::string& value) {
  return "\n<Result><Channel>" + name + "</Channel>\n<Value>" + value + "</Value></Result>\n";
}

class WindowsDeadlineTest : public WindowsSensorTest {
 protected:
  void SetUp() override {
    WindowsSensorTest::SetUp();
    Install(kSensorDir);
    InstallLibrary();
  }
  // Runs and times a run.
  SensorOutput Timed(const std::vector<std::string>& args, double* seconds) {
    auto start = std::chrono::steady_clock::now();
    SensorOutput output = Run(args);
    *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return output;
  }
};

TEST_F(WindowsDeadlineTest, AScanThatStopsAnsweringIsError1044InTime) {
  WriteSystem(kSensorDir, "PRD", "fail hang ADA_ST04\n");
  const std::string profile = Read(kSensorDir + "PRD.P00");
  double seconds = 0;
  SensorOutput output = Timed({"PRD", "timeout=2"}, &seconds);
  EXPECT_EQ(output.out, ErrorDocument("Error 1044: No answer from PRD within 2 s (ADA_ST04) !"));
  EXPECT_EQ(output.exit_code, 2);
  EXPECT_LT(seconds, 3.5);
  EXPECT_EQ(Read(kSensorDir + "PRD.P00"), profile);
  EXPECT_EQ(Leftovers(), 0);
}

TEST_F(WindowsDeadlineTest, AHungSystemIsATimeoutAndTheOthersAreReported) {
  WriteSystem(kSensorDir, "PRD");
  WriteSystem(kSensorDir, "HUNG", "fail hang ADA_ST04\n");
  WriteSystem(kSensorDir, "QAS", "fail handler ADA_ST04\n");
  WriteSystem(kSensorDir, "DEV");
  Write(kSensorDir + "Tessarin.Prf", "# Gsng: systems     PRD.P00#HUNG.P00#QAS.P00#DEV.P00#\r\n");
  double seconds = 0;
  SensorOutput output = Timed({"x", "Item=LogWrites", "timeout=4"}, &seconds);
  EXPECT_EQ(output.out, "\n<Prtg>\n\n" + Channel("PRD.P00", "0") + Channel("DEV.P00", "0") +
                            "\n<Text>(***) LogWrites: NoSystems=4, Processed=2, Failed=2 - "
                            "HUNG.P00: Timeout (ADA_ST04), QAS.P00: Rfc Failure (RFC error - "
                            "operation/code: RfcCall ADA_ST04 - key: SYSTEM_FAILURE - message: "
                            "Connection to simulated system QAS broken)</Text>\n\n</Prtg>\n\n");
  EXPECT_EQ(output.exit_code, 0);
  EXPECT_LT(seconds, 4.5);
  EXPECT_NE(Read(kSensorDir + "DEV.P00").find("# Alm Tessarin.Prf/LogWrites"), std::string::npos);
  EXPECT_EQ(Leftovers(), 0);
}

}  // namespace
}  // namespace quillmeter
