#include "driver/sensor_directory.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/fake_platform.h"

namespace quillmeter {
namespace {

constexpr const char kProfile[] = "Destination:            PRD\n";
constexpr const char kExeXml[] = "PRTG Network Monitor/Custom Sensors/ExeXml/";

class SensorDirectoryTest : public ::testing::Test {
 protected:
  FakePlatform platform;
  std::ostringstream out;
  RunState run{platform, out};

  void SetUp() override {
    run.profile_name = "PRD.P00";
    run.prtg_path_file = "/root/PRTG_Path.Txt";
    run.drive_root = "/root";
  }
  void Put(const std::string& dir) { platform.files[dir + "PRD.P00"] = kProfile; }
  std::string Error() { return run.result.str(); }
};

TEST_F(SensorDirectoryTest, ProfileInCurrentDirectoryIsInvalidPathUsage) {
  Put("");
  EXPECT_FALSE(FindSensorDirectory(run));
  EXPECT_NE(Error().find("<Text>Sorry, invalid Path-Usage...</Text>"), std::string::npos);
}

TEST_F(SensorDirectoryTest, DefaultDirectoriesAreProbedInOrder) {
  std::vector<std::string> dirs = DefaultSensorDirectories(run);
  ASSERT_EQ(dirs.size(), 3u);
  EXPECT_EQ(dirs[0], std::string("/root/Programme/") + kExeXml);
  EXPECT_EQ(dirs[1], std::string("/root/Program Files/") + kExeXml);
  EXPECT_EQ(dirs[2], std::string("/root/Program Files (x86)/") + kExeXml);

  Put(dirs[2]);
  ASSERT_TRUE(FindSensorDirectory(run));
  EXPECT_EQ(run.profile_path, dirs[2] + "PRD.P00");
  EXPECT_EQ(run.profile_contents, kProfile);

  Put(dirs[1]);
  ASSERT_TRUE(FindSensorDirectory(run));
  EXPECT_EQ(run.profile_dir, dirs[1]);
}

TEST_F(SensorDirectoryTest, NowhereIsError1002WithTheBareName) {
  EXPECT_FALSE(FindSensorDirectory(run));
  EXPECT_NE(Error().find("<Text>Error 1002: Profile PRD.P00 is missing...</Text>"),
            std::string::npos);
}

TEST_F(SensorDirectoryTest, PathFileDriveGetsSeparatorAndSubPath) {
  platform.files["/root/PRTG_Path.Txt"] = "D:\r\n";
  Put(std::string("D:/") + kExeXml);
  ASSERT_TRUE(FindSensorDirectory(run));
  EXPECT_EQ(run.profile_dir, std::string("D:/") + kExeXml);
}

TEST_F(SensorDirectoryTest, PathFileLastNamingLineWinsAndShortSubPathWorks) {
  platform.files["/root/PRTG_Path.Txt"] = "comment\n/old\n/prtg/\nnot a path\n";
  Put("/prtg/Custom Sensors/ExeXml/");
  ASSERT_TRUE(FindSensorDirectory(run));
  EXPECT_EQ(run.profile_dir, "/prtg/Custom Sensors/ExeXml/");
}

TEST_F(SensorDirectoryTest, PathFileWithoutTheProfileIgnoresTheDefaults) {
  platform.files["/root/PRTG_Path.Txt"] = "/prtg\n";
  Put(DefaultSensorDirectories(run)[0]);
  EXPECT_FALSE(FindSensorDirectory(run));
  EXPECT_NE(Error().find("Error 1002: Profile PRD.P00 is missing..."), std::string::npos);
}

TEST_F(SensorDirectoryTest, PathFileDirectoryEndingInExeXmlAnyCaseIsAccepted) {
  platform.files["/root/PRTG_Path.Txt"] = "/sensors/exeXML\n";
  Put("/sensors/exeXML/");
  ASSERT_TRUE(FindSensorDirectory(run));
  EXPECT_EQ(run.profile_path, "/sensors/exeXML/PRD.P00");
}

TEST_F(SensorDirectoryTest, PathFileDirectoryThatIsNotExeXmlIsInvalidPathUsage) {
  platform.files["/root/PRTG_Path.Txt"] = "/sensors\n";
  Put("/sensors/");
  EXPECT_FALSE(FindSensorDirectory(run));
  EXPECT_NE(Error().find("Sorry, invalid Path-Usage..."), std::string::npos);
}

TEST_F(SensorDirectoryTest, PathFileNamingNothingCountsAsAbsent) {
  platform.files["/root/PRTG_Path.Txt"] = "";
  Put(DefaultSensorDirectories(run)[0]);
  EXPECT_TRUE(FindSensorDirectory(run));
  platform.files["/root/PRTG_Path.Txt"] = "just words\n";
  EXPECT_TRUE(FindSensorDirectory(run));
}

TEST_F(SensorDirectoryTest, CommandLineDirectoryIsIgnored) {
  run.profile_dir = std::string("/elsewhere/") + kExeXml;
  Put(run.profile_dir);
  EXPECT_FALSE(FindSensorDirectory(run));
}

}  // namespace
}  // namespace quillmeter
