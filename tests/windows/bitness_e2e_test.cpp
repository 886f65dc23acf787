// The sensor against a librfc32.dll of either bitness, beside it and in the
// system folder of its own bitness (System32 for the 64-bit sensor, SysWOW64
// for the 32-bit one on 64-bit Windows), as older SAP GUI installations
// leave it. Each suite runs them with its own sensor.
#include "windows_fixture.h"

namespace quillmeter {
namespace {

constexpr bool k64Bit = sizeof(void*) == 8;
const std::string kOwnBitness = k64Bit ? "64-bit" : "32-bit";
const std::string kOtherBitness = k64Bit ? "32-bit" : "64-bit";
const std::string kOtherPackage = k64Bit ? "win32" : "win64";
// The system folder the sensor searches, and the other bitness's, which it
// never sees (Sysnative is how a 32-bit program reaches the real System32).
const std::string kSystemFolder = k64Bit ? "C:\\windows\\system32\\" : "C:\\windows\\syswow64\\";
const std::string kOtherSystemFolder =
    k64Bit ? "C:\\windows\\syswow64\\" : "C:\\windows\\sysnative\\";

class WindowsBitnessTest : public WindowsSensorTest {
 protected:
  // The library is loaded once the profile is found.
  void SetUp() override {
    WindowsSensorTest::SetUp();
    Write(kDefaultDirs[2] + "PRD.P00", ScanProfile());
  }

  void TearDown() override {
    std::error_code ignored;
    for (const std::string& dir : {kSystemFolder, kOtherSystemFolder})
      fs::remove(dir + "librfc32.dll", ignored);
    for (const fs::path& dir : made_)
      fs::remove(dir, ignored);
    WindowsSensorTest::TearDown();
  }

  // The simulated library built for this sensor's bitness or the other one.
  // A prefix with no 32-bit side has no SysWOW64: the test makes it, as a
  // 64-bit Windows has one whatever the sensor does with it.
  void Put(bool other_bitness, const std::string& where) {
    const fs::path folder = fs::path(where).parent_path();
    if (!fs::exists(folder) && fs::create_directories(folder))
      made_.push_back(folder);
    fs::copy_file(ProgramDir() + (other_bitness ? "other-bitness\\librfc32.dll" : "librfc32.dll"),
                  where, fs::copy_options::overwrite_existing);
  }

  // Without a NetWeaver library the document names that one as well, after
  // the classic one's bitness.
  static void ExpectOtherBitness(const SensorOutput& output, const std::string& library) {
    const std::string start = "<Prtg>\n<Error>1</Error>\n<Text>Error 1040: RFC library " +
                              library + " is a " + kOtherBitness +
                              " library and this quillmeter.exe is " + kOwnBitness +
                              ": use the " + kOtherPackage +
                              " package ! - RFC library sapnwrfc.dll cannot be loaded (cannot load " +
                              kBin + "sapnwrfc.dll: ";
    EXPECT_EQ(output.out.substr(0, start.size()), start) << output.out;
    EXPECT_NE(output.out.find("; cannot load sapnwrfc.dll: "), std::string::npos) << output.out;
  }

  const std::string beside = kBin + "librfc32.dll";
  const std::string cannot_load =
      "<Prtg>\n<Error>1</Error>\n<Text>Error 1040: RFC library "
      "librfc32.dll cannot be loaded (";

 private:
  std::vector<fs::path> made_;
};

TEST_F(WindowsBitnessTest, OtherBitnessBesideTheSensorIsNamedWithItsPackage) {
  Put(true, beside);
  SensorOutput output = Run({"PRD"});
  ExpectOtherBitness(output, beside);
  EXPECT_EQ(output.exit_code, 2);
}

TEST_F(WindowsBitnessTest, OtherBitnessInTheSystemFolderIsNamedWithItsPackage) {
  fs::remove(beside);
  Put(true, kSystemFolder + "librfc32.dll");
  SensorOutput output = Run({"PRD"});
  ExpectOtherBitness(output, kSystemFolder + "librfc32.dll");
  EXPECT_EQ(output.exit_code, 2);
}

TEST_F(WindowsBitnessTest, OwnBitnessInTheSystemFolderIsFoundOnTheSearchPath) {
  fs::remove(beside);
  Put(false, kSystemFolder + "librfc32.dll");
  ExpectScanned(Run({"PRD"}), kSystemFolder);
}

TEST_F(WindowsBitnessTest, TheOtherBitnesssSystemFolderIsNeverSearched) {
  fs::remove(beside);
  Put(true, kOtherSystemFolder + "librfc32.dll");
  SensorOutput output = Run({"PRD"});
  EXPECT_EQ(output.out.substr(0, cannot_load.size()), cannot_load) << output.out;
  EXPECT_EQ(output.exit_code, 2);
}

TEST_F(WindowsBitnessTest, DamagedLibraryKeepsTheSystemsReason) {
  Write(beside, "MZ but no library\r\n");
  SensorOutput output = Run({"PRD"});
  EXPECT_EQ(output.out.substr(0, cannot_load.size()), cannot_load) << output.out;
  EXPECT_NE(output.out.find(beside), std::string::npos) << output.out;
  EXPECT_EQ(output.exit_code, 2);
}

}  // namespace
}  // namespace quillmeter
