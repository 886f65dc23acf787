// The Windows sensor run as PRTG runs it, against the real Windows
// locations on drive C: the path file C:\PRTG_Path.Txt, the default sensor
// directories on the current drive, and backslash paths on the command line.
// The tests share drive C, so CTest runs them one at a time.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sensor_process.h"

namespace quillmeter {
namespace {

namespace fs = std::filesystem;

const std::string kRoot = "C:\\quillmeter-e2e\\";
const std::string kBin = kRoot + "bin\\";
const std::string kWork = kRoot + "work\\";
const std::string kPathFile = "C:\\PRTG_Path.Txt";
const std::string kExeXml = "PRTG Network Monitor\\Custom Sensors\\ExeXml\\";
const std::string kDefaultDirs[] = {
    "C:\\Programme\\" + kExeXml,
    "C:\\Program Files\\" + kExeXml,
    "C:\\Program Files (x86)\\" + kExeXml,
};

// A profile that the search finds; what the run makes of it is not the
// concern of these tests.
constexpr const char kProfile[] = "Destination:            PRD\n";

std::string ErrorDocument(const std::string& message) {
  return "<Prtg>\n<Error>1</Error>\n<Text>" + message + "</Text>\n</Prtg>\n";
}

class WindowsSensorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clean();
    fs::create_directories(kBin);
    fs::create_directories(kWork);
    fs::copy_file(ProgramDir() + "quillmeter.exe", kBin + "quillmeter.exe");
  }
  void TearDown() override { Clean(); }

  static void Clean() {
    std::error_code ignored;
    fs::remove(kPathFile, ignored);
    for (const char* dir : {"C:\\Programme", "C:\\Program Files\\PRTG Network Monitor",
                            "C:\\Program Files (x86)\\PRTG Network Monitor",
                            "C:\\PRTG Network Monitor", "C:\\Sensors", "C:\\quillmeter-e2e"})
      fs::remove_all(dir, ignored);
  }

  static void Write(const std::string& path, const std::string& contents) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << contents;
  }

  static SensorOutput Run(const std::vector<std::string>& args,
                          const std::string& working_dir = kWork) {
    SensorOutput output = RunProcess(kBin + "quillmeter.exe", args, working_dir);
    EXPECT_EQ(output.error, "");
    return output;
  }

  // The search found the profile: the run got past the sensor directory.
  static void ExpectFound(const SensorOutput& output, const std::string& where) {
    EXPECT_NE(output.out.find("<Prtg>"), std::string::npos) << where << "\n" << output.out;
    EXPECT_EQ(output.out.find("Error 1002"), std::string::npos) << where << "\n" << output.out;
    EXPECT_EQ(output.out.find("Sorry, invalid Path-Usage"), std::string::npos)
        << where << "\n" << output.out;
  }
};

TEST_F(WindowsSensorTest, DocumentIsByteForByteTheSameAsOnEveryPlatform) {
  SensorOutput output = Run({});
  EXPECT_EQ(output.out, ErrorDocument("Error 1001: Parameter for Profile-Name is missing !"));
  EXPECT_EQ(output.exit_code, 2);
}

TEST_F(WindowsSensorTest, ProfileInWorkingDirectoryIsInvalidPathUsage) {
  Write(kWork + "PRD.P00", kProfile);
  SensorOutput output = Run({"PRD"});
  EXPECT_EQ(output.out, ErrorDocument("Sorry, invalid Path-Usage..."));
  EXPECT_EQ(output.exit_code, 2);
}

TEST_F(WindowsSensorTest, NoProfileAnywhereIsError1002WithTheBareName) {
  SensorOutput output = Run({"PRD"});
  EXPECT_EQ(output.out, ErrorDocument("Error 1002: Profile PRD.P00 is missing..."));
  EXPECT_EQ(output.exit_code, 2);
}

TEST_F(WindowsSensorTest, EachDefaultDirectoryOnTheCurrentDriveIsFound) {
  for (const std::string& dir : kDefaultDirs) {
    Clean();
    SetUp();
    Write(dir + "PRD.P00", kProfile);
    ExpectFound(Run({"PRD"}), dir);
  }
}

TEST_F(WindowsSensorTest, DefaultDirectoriesHangFromTheCurrentDrive) {
  // With the working directory on drive Z the same folders on C are not
  // searched.
  Write(kDefaultDirs[1] + "PRD.P00", kProfile);
  SensorOutput output = Run({"PRD"}, "Z:\\");
  EXPECT_EQ(output.out, ErrorDocument("Error 1002: Profile PRD.P00 is missing..."));
}

TEST_F(WindowsSensorTest, PathFileDriveLineFindsTheProfileUnderTheFullSubPath) {
  Write(kPathFile, "C:\r\n");
  Write("C:\\" + kExeXml + "PRD.P00", kProfile);
  ExpectFound(Run({"PRD"}), "C:\\" + kExeXml);
}

TEST_F(WindowsSensorTest, PathFileDirectoryFindsTheShortSubPath) {
  Write(kPathFile, "rem the probe\r\nC:\\Sensors\\PRTG\r\n");
  Write("C:\\Sensors\\PRTG\\Custom Sensors\\ExeXml\\PRD.P00", kProfile);
  ExpectFound(Run({"PRD"}), "C:\\Sensors\\PRTG\\Custom Sensors\\ExeXml\\");
}

TEST_F(WindowsSensorTest, PathFileWithoutTheProfileIgnoresTheDefaults) {
  Write(kPathFile, "C:\\Sensors\\PRTG\\\n");
  Write(kDefaultDirs[0] + "PRD.P00", kProfile);
  SensorOutput output = Run({"PRD"});
  EXPECT_EQ(output.out, ErrorDocument("Error 1002: Profile PRD.P00 is missing..."));
  EXPECT_EQ(output.exit_code, 2);
}

TEST_F(WindowsSensorTest, PathFileDirectoryEndingInExeXmlAnyCaseIsAccepted) {
  Write(kPathFile, "C:\\Sensors\\exeXML\n");
  Write("C:\\Sensors\\exeXML\\PRD.P00", kProfile);
  ExpectFound(Run({"PRD"}), "C:\\Sensors\\exeXML\\");
}

TEST_F(WindowsSensorTest, DirectoryInFirstArgumentIsIgnoredWhenSearching) {
  Write("C:\\Sensors\\PRD.P00", kProfile);
  Write(kDefaultDirs[2] + "PRD.P00", kProfile);
  ExpectFound(Run({"C:\\Sensors\\PRD"}), kDefaultDirs[2]);
  Clean();
  SetUp();
  Write("C:\\Sensors\\PRD.P00", kProfile);
  SensorOutput output = Run({"C:\\Sensors\\PRD"});
  EXPECT_EQ(output.out, ErrorDocument("Error 1002: Profile PRD.P00 is missing..."));
}

TEST_F(WindowsSensorTest, BackslashPathInFirstArgumentOpensTheProfileWithAt) {
  Write("C:\\Sensors\\PRD.P00", kProfile);
  ExpectFound(Run({"C:\\Sensors\\PRD", "@"}), "C:\\Sensors\\");
  SensorOutput missing = Run({"C:\\Sensors\\QAS", "@"});
  EXPECT_NE(missing.out.find("<Text>Error 1002: Profile QAS.P00 is missing...</Text>"),
            std::string::npos)
      << missing.out;
}

TEST(QuoteArgumentTest, ArgumentsSurviveTheCommandLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"PRD", "PRD"},
      {"", "\"\""},
      {"a b", "\"a b\""},
      {"C:\\Program Files\\x\\", "\"C:\\Program Files\\x\\\\\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"C:\\dir\\PRD", "C:\\dir\\PRD"},
  };
  for (const auto& [arg, quoted] : cases) EXPECT_EQ(QuoteArgument(arg), quoted) << arg;
}

}  // namespace
}  // namespace quillmeter
