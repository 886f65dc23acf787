#include "driver/sensor_directory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/fake_platform.h"

namespace quillmeter {
namespace {

namespace fs = std::filesystem;

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

// The same search on the real file system, in a temporary tree that holds
// the path file, the current directory and the default directories.
class SensorDirectoryTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Several checkouts may run these tests at the same time.
    root =
        fs::temp_directory_path() / ("quillmeter-tree-" + std::to_string(std::random_device{}()));
    saved_cwd = fs::current_path();
    ResetTree();
  }
  // An empty tree whose "cwd" is the current directory.
  void ResetTree() {
    fs::current_path(saved_cwd);
    fs::remove_all(root);
    fs::create_directories(root / "cwd");
    fs::current_path(root / "cwd");
  }
  void TearDown() override {
    fs::current_path(saved_cwd);
    fs::remove_all(root);
  }

  std::string Root() const { return Slashes(root.string()) + "/"; }
  // Windows joins with backslashes; the cases are written with slashes.
  static std::string Slashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
  }
  std::string Expand(std::string text) const {
    for (size_t at; (at = text.find("{root}")) != std::string::npos;)
      text.replace(at, 6, root.string());
    return text;
  }
  void Put(const std::string& dir) {
    fs::create_directories(root / dir);
    std::ofstream(root / dir / kName, std::ios::binary) << kProfile;
  }
  std::string Error() const { return run->result.str(); }

  // Searches with a fresh run; `path_file` is written unless it is null.
  bool Find(const char* path_file) {
    if (path_file != nullptr)
      std::ofstream(root / "PRTG_Path.Txt", std::ios::binary) << Expand(path_file);
    run = std::make_unique<RunState>(SystemPlatform(), out);
    run->profile_name = kName;
    run->prtg_path_file = Root() + "PRTG_Path.Txt";
    run->drive_root = root.string();
    return FindSensorDirectory(*run);
  }

  static constexpr const char kName[] = "Qm Tree.P00";
  fs::path root, saved_cwd;
  std::ostringstream out;
  std::unique_ptr<RunState> run;
};

TEST_F(SensorDirectoryTreeTest, ProbeOrder) {
  const std::string programme = std::string("Programme/") + kExeXml;
  const std::string files = std::string("Program Files/") + kExeXml;
  const std::string x86 = std::string("Program Files (x86)/") + kExeXml;
  const std::string missing = "Error 1002: Profile Qm Tree.P00 is missing...";
  const std::string invalid = "Sorry, invalid Path-Usage...";
  struct Case {
    const char* name;
    const char* path_file;             // null: no path file
    std::vector<std::string> holders;  // directories under the root holding the profile
    std::string found;                 // directory under the root, or the error
  } cases[] = {
      {"third default only", nullptr, {x86}, x86},
      {"first default before third", nullptr, {x86, programme}, programme},
      {"second default before third", nullptr, {x86, files}, files},
      {"nowhere", nullptr, {}, missing},
      {"current directory is not a sensor directory", nullptr, {"cwd"}, invalid},
      {"current directory before the defaults", nullptr, {"cwd", programme}, invalid},
      {"path file without a directory line", "just words\r\n", {files}, files},
      {"path file: installation directory",
       "{root}/D\n",
       {std::string("D/") + kExeXml, programme},
       std::string("D/") + kExeXml},
      {"path file: PRTG directory",
       "{root}/D/PRTG Network Monitor/\n",
       {"D/PRTG Network Monitor/Custom Sensors/ExeXml/"},
       "D/PRTG Network Monitor/Custom Sensors/ExeXml/"},
      {"path file: long sub-path before the short one",
       "{root}/D\n",
       {std::string("D/") + kExeXml, "D/Custom Sensors/ExeXml/"},
       std::string("D/") + kExeXml},
      {"path file: short sub-path probed on the extended directory",
       "{root}/D\n",
       {std::string("D/") + kExeXml + "Custom Sensors/ExeXml/", std::string("D/") + kExeXml},
       std::string("D/") + kExeXml + "Custom Sensors/ExeXml/"},
      {"path file: directory itself, any case of ExeXml",
       "{root}/S/exeXML\n",
       {"S/exeXML/"},
       "S/exeXML/"},
      {"path file: directory itself, not ExeXml", "{root}/S/\n", {"S/"}, invalid},
      {"path file: not under its directory, defaults unused",
       "{root}/D\n",
       {programme, "cwd"},
       missing},
      {"path file: last directory line wins",
       "{root}/Old\r\nnotes\r\n{root}/New\r\n",
       {std::string("Old/") + kExeXml, std::string("New/") + kExeXml},
       std::string("New/") + kExeXml},
  };
  for (const Case& c : cases) {
    ResetTree();
    for (const std::string& dir : c.holders) Put(dir);
    bool ok = Find(c.path_file);
    if (c.found == missing || c.found == invalid) {
      EXPECT_FALSE(ok) << c.name;
      EXPECT_NE(Error().find("<Text>" + c.found + "</Text>"), std::string::npos)
          << c.name << ": " << Error();
      continue;
    }
    ASSERT_TRUE(ok) << c.name << ": " << Error();
    EXPECT_EQ(Slashes(run->profile_dir), Root() + c.found) << c.name;
    EXPECT_EQ(Slashes(run->profile_path), Root() + c.found + kName) << c.name;
    EXPECT_EQ(run->profile_contents, kProfile) << c.name;
  }
}

}  // namespace
}  // namespace quillmeter
