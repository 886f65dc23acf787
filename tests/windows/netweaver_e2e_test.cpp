// Whole scans of the Windows sensor under Wine through the simulated
// NetWeaver library sapnwrfc.dll, installed beside it as on a probe: the
// same documents and history as through librfc32.dll.
#include "windows_fixture.h"

namespace quillmeter {
namespace {

const std::string kSensorDir = kDefaultDirs[2];

class WindowsNetWeaverTest : public WindowsSensorTest {
 protected:
  void SetUp() override {
    WindowsSensorTest::SetUp();
    Install(kSensorDir);
    fs::copy_file(ProgramDir() + "sapnwrfc.dll", kSensorDir + "sapnwrfc.dll",
                  fs::copy_options::overwrite_existing);
    Write(kSensorDir + "PRD.P00", ScanProfile());
  }

  SensorOutput Scan(const std::string& system, const std::vector<std::string>& args = {"PRD"}) {
    Write(kWork + "PRD.simrfc", system);
    return Run(args);
  }
};

TEST_F(WindowsNetWeaverTest, OnlySapnwrfcBesideTheSensorScansAsLibrfc32Does) {
  SensorOutput first = Scan(System(kFirstCounters));
  EXPECT_EQ(first.exit_code, 0) << first.out;
  EXPECT_EQ(first.out, ScanDocument("0", "0", "0", "0"));
  SensorOutput second = Scan(System(kLaterCounters));
  EXPECT_EQ(second.out, ScanDocument("1.234", "10", "1", "0"));
  EXPECT_EQ(Read(kSensorDir + "PRD.P00"),
            ScanProfile() +
                "# Alg Date=20110601 09:05:07 Writes=5000001234 WaitBusy=310 RollBacks=1501 "
                "OverFlows=2\r\n# Alx Date=20110601 09:05:07 Writes=5000000000 WaitBusy=300 "
                "RollBacks=1500 OverFlows=2\r\n");
}

TEST_F(WindowsNetWeaverTest, TheConsoleTraceNamesTheLibraryTheProfileChose) {
  InstallLibrary();  // librfc32.dll beside it as well
  Write(kSensorDir + "PRD.P00",
        ProfileText({}, "RfcLibrary.:             NetWeaver\r\n", "\r\n"));
  Write(kWork + "PRD.simrfc", System(kFirstCounters));
  SensorOutput traced = Run({kSensorDir + "PRD", "@"});
  EXPECT_EQ(traced.exit_code, 0) << traced.out;
  EXPECT_NE(traced.out.find(" RFC library: " + kSensorDir + "sapnwrfc.dll (NetWeaver "),
            std::string::npos)
      << traced.out;
  Write(kSensorDir + "PRD.P00", ScanProfile());
  traced = Run({kSensorDir + "PRD", "@"});
  EXPECT_EQ(traced.out.find("RFC library:"), std::string::npos) << traced.out;
}

}  // namespace
}  // namespace quillmeter
