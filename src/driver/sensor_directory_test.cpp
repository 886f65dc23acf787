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
  SearchRoots roots{"/root/PRTG_Path.Txt", "/root"};
  ProfileFile file;

  void Put(const std::string& dir) { platform.files[dir + "PRD.P00"] = kProfile; }
  Status Find() { return FindSensorDirectory(platform, roots, "PRD.P00", &file); }
};

TEST_F(SensorDirectoryTest, TheCurrentDirectoryIsJudgedByItsFullName) {
  Put("");
  Status refused = Find();
  EXPECT_EQ(refused.message(), "Sorry, invalid Path-Usage...");
  // Why first: a long folder's tail shows why it was refused.
  EXPECT_EQ(refused.cause(), "not an EXEXML sensor folder: /work/");
  // PRTG may start the sensor in its sensor folder.
  platform.current_dir = std::string("/prtg/") + kExeXml;
  ASSERT_TRUE(Find().ok());
  EXPECT_EQ(file.path, "PRD.P00");
}

TEST_F(SensorDirectoryTest, DefaultDirectoriesAreProbedInOrder) {
  std::vector<std::string> dirs = DefaultSensorDirectories(platform, "/root");
  ASSERT_EQ(dirs.size(), 3u);
  EXPECT_EQ(dirs[0], std::string("/root/Programme/") + kExeXml);
  EXPECT_EQ(dirs[1], std::string("/root/Program Files/") + kExeXml);
  EXPECT_EQ(dirs[2], std::string("/root/Program Files (x86)/") + kExeXml);

  Put(dirs[2]);
  ASSERT_TRUE(Find().ok());
  EXPECT_EQ(file.path, dirs[2] + "PRD.P00");
  EXPECT_EQ(file.contents, kProfile);

  Put(dirs[1]);
  ASSERT_TRUE(Find().ok());
  EXPECT_EQ(file.dir, dirs[1]);
}

TEST_F(SensorDirectoryTest, NowhereIsError1002WithTheBareNameAndWhereItLooked) {
  Status missing = Find();
  EXPECT_EQ(missing.message(), "Error 1002: Profile PRD.P00 is missing...");
  // Every directory, the 32-bit PRTG's on 64-bit Windows too.
  EXPECT_EQ(missing.cause(), std::string("searched: /work/; /root/Programme/") + kExeXml +
                                 "; /root/Program Files/" + kExeXml +
                                 "; /root/Program Files (x86)/" + kExeXml);
  roots.drive_root = "";
  EXPECT_EQ(Find().cause(), std::string("searched: /work/; /Programme/") + kExeXml +
                                "; /Program Files/" + kExeXml + "; /Program Files (x86)/" +
                                kExeXml);
  roots.drive_root = "/root";
  platform.files["/root/PRTG_Path.Txt"] = "/prtg\n";
  EXPECT_EQ(Find().cause(),
            std::string("searched: /prtg/") + kExeXml + "; /prtg/Custom Sensors/ExeXml/; /prtg/");
}

TEST_F(SensorDirectoryTest, DirectoriesTooLongForPrtgAreLeftOutWholeAfterTheOnesThatFit) {
  const std::string deep = "/" + std::string(1500, 'd') + "/";
  platform.current_dir = deep;
  roots.drive_root = "/" + std::string(300, 'r');
  const std::string cause = Find().cause();
  const std::string first_default = roots.drive_root + "/Programme/" + kExeXml;
  EXPECT_EQ(cause, "searched: " + deep + "; " + first_default + "; ...");
  EXPECT_LE(std::string("Error 1002: Profile PRD.P00 is missing... - " + cause).size(), 2000u);
  platform.current_dir = "/" + std::string(2000, 'd') + "/";
  EXPECT_EQ(Find().cause(), "searched: ...");
}

TEST_F(SensorDirectoryTest, PathFileDriveGetsSeparatorAndSubPath) {
  platform.files["/root/PRTG_Path.Txt"] = "D:\r\n";
  Put(std::string("D:/") + kExeXml);
  ASSERT_TRUE(Find().ok());
  EXPECT_EQ(file.dir, std::string("D:/") + kExeXml);
}

TEST_F(SensorDirectoryTest, PathFileLastNamingLineWinsAndShortSubPathWorks) {
  platform.files["/root/PRTG_Path.Txt"] = "comment\n/old\n/prtg/\nnot a path\n";
  Put("/prtg/Custom Sensors/ExeXml/");
  ASSERT_TRUE(Find().ok());
  EXPECT_EQ(file.dir, "/prtg/Custom Sensors/ExeXml/");
}

TEST_F(SensorDirectoryTest, PathFileWithoutTheProfileIgnoresTheDefaults) {
  platform.files["/root/PRTG_Path.Txt"] = "/prtg\n";
  Put(DefaultSensorDirectories(platform, "/root")[0]);
  EXPECT_EQ(Find().message(), "Error 1002: Profile PRD.P00 is missing...");
}

TEST_F(SensorDirectoryTest, PathFileDirectoryEndingInExeXmlAnyCaseIsAccepted) {
  platform.files["/root/PRTG_Path.Txt"] = "/sensors/exeXML\n";
  Put("/sensors/exeXML/");
  ASSERT_TRUE(Find().ok());
  EXPECT_EQ(file.path, "/sensors/exeXML/PRD.P00");
}

TEST_F(SensorDirectoryTest, PathFileDirectoryThatIsNotExeXmlIsInvalidPathUsage) {
  platform.files["/root/PRTG_Path.Txt"] = "/sensors\n";
  Put("/sensors/");
  EXPECT_EQ(Find().message(), "Sorry, invalid Path-Usage...");
}

TEST_F(SensorDirectoryTest, PathFileNamingNothingCountsAsAbsent) {
  platform.files["/root/PRTG_Path.Txt"] = "";
  Put(DefaultSensorDirectories(platform, "/root")[0]);
  EXPECT_TRUE(Find().ok());
  platform.files["/root/PRTG_Path.Txt"] = "just words\n";
  EXPECT_TRUE(Find().ok());
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
  // Searches afresh; `path_file` is written unless it is null.
  Status Find(const char* path_file) {
    if (path_file != nullptr)
      std::ofstream(root / "PRTG_Path.Txt", std::ios::binary) << Expand(path_file);
    file = ProfileFile();
    return FindSensorDirectory(SystemPlatform(), {Root() + "PRTG_Path.Txt", root.string()}, kName,
                               &file);
  }

  static constexpr const char kName[] = "Qm Tree.P00";
  fs::path root, saved_cwd;
  ProfileFile file;
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
    Status found = Find(c.path_file);
    if (c.found == missing || c.found == invalid) {
      EXPECT_EQ(found.message(), c.found) << c.name;
      continue;
    }
    ASSERT_TRUE(found.ok()) << c.name << ": " << found.message();
    EXPECT_EQ(Slashes(file.dir), Root() + c.found) << c.name;
    EXPECT_EQ(Slashes(file.path), Root() + c.found + kName) << c.name;
    EXPECT_EQ(file.contents, kProfile) << c.name;
  }
}

TEST_F(SensorDirectoryTest, TheSearchRecordNamesTheRuleAndEveryFolderWhole) {
  SensorDirectorySearch search;
  auto find = [&] { return FindSensorDirectory(platform, roots, "PRD.P00", &file, &search); };
  const std::vector<std::string> defaults = DefaultSensorDirectories(platform, "/root");
  Put(defaults[1]);
  ASSERT_TRUE(find().ok());
  EXPECT_EQ(search.rule, "the default folder");
  EXPECT_EQ(search.searched, (std::vector<std::string>{"/work/", defaults[0], defaults[1]}));

  platform.current_dir = std::string("/prtg/") + kExeXml;
  Put("");
  ASSERT_TRUE(find().ok());
  EXPECT_EQ(search.rule, "the current folder");
  EXPECT_EQ(search.searched, std::vector<std::string>{platform.current_dir});

  // A refused folder still tells which rule found it.
  platform.files["/root/PRTG_Path.Txt"] = "/sensors\n";
  Put("/sensors/");
  EXPECT_EQ(find().message(), "Sorry, invalid Path-Usage...");
  EXPECT_EQ(search.rule, "the path file /root/PRTG_Path.Txt");
  EXPECT_EQ(search.searched.back(), "/sensors/");

  // Nowhere: PRTG's text leaves folders out, the record keeps them all.
  platform.files.clear();
  const std::string deep = "/" + std::string(1500, 'd') + "/";
  platform.current_dir = deep;
  roots.drive_root = "/" + std::string(300, 'r');
  Status missing = find();
  EXPECT_EQ(missing.message(), "Error 1002: Profile PRD.P00 is missing...");
  EXPECT_NE(missing.cause().find("..."), std::string::npos);
  std::vector<std::string> all{deep};
  for (const std::string& dir : DefaultSensorDirectories(platform, roots.drive_root))
    all.push_back(dir);
  EXPECT_EQ(search.searched, all);
}

}  // namespace
}  // namespace quillmeter
