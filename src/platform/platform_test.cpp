// The real platform of the machine the tests run on.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace quillmeter {
namespace {

namespace fs = std::filesystem;

class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("quillmeter-platform-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string Path(const char* name) { return (dir / name).string(); }

  Platform& platform = SystemPlatform();
  fs::path dir;
};

TEST_F(PlatformTest, AtomicReplaceWritesWholeFileAndLeavesNoTemporary) {
  std::string error, contents;
  ASSERT_TRUE(platform.AtomicReplace(Path("p"), "old\n", &error)) << error;
  ASSERT_TRUE(platform.AtomicReplace(Path("p"), std::string(100000, 'x'), &error)) << error;
  ASSERT_TRUE(platform.ReadFile(Path("p"), &contents, &error)) << error;
  EXPECT_EQ(contents, std::string(100000, 'x'));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(PlatformTest, FailedReplaceLeavesTheOldFile) {
  std::string error, contents;
  ASSERT_TRUE(platform.AtomicReplace(Path("p"), "old\n", &error));
  EXPECT_FALSE(platform.AtomicReplace(Path("missing/p"), "new\n", &error));
  EXPECT_NE(error.find("missing"), std::string::npos) << error;
  ASSERT_TRUE(platform.ReadFile(Path("p"), &contents, &error));
  EXPECT_EQ(contents, "old\n");
}

TEST_F(PlatformTest, ReplacingThroughALinkReplacesTheFileItNames) {
  std::string error, contents;
  ASSERT_TRUE(platform.AtomicReplace(Path("p"), "old\n", &error)) << error;
  std::error_code link_error;
  fs::create_symlink("p", dir / "link", link_error);
  if (link_error) GTEST_SKIP() << "no symbolic links here: " << link_error.message();
  ASSERT_TRUE(platform.AtomicReplace(Path("link"), "new\n", &error)) << error;
  EXPECT_TRUE(fs::is_symlink(dir / "link"));
  ASSERT_TRUE(platform.ReadFile(Path("p"), &contents, &error)) << error;
  EXPECT_EQ(contents, "new\n");
}

TEST_F(PlatformTest, ReadingADirectoryOrMissingFileFails) {
  std::string error, contents;
  EXPECT_FALSE(platform.ReadFile(dir.string(), &contents, &error));
  EXPECT_FALSE(platform.ReadFile(Path("none"), &contents, &error));
  EXPECT_NE(error.find("none"), std::string::npos) << error;
}

TEST_F(PlatformTest, AppendFileCreatesThenAppends) {
  std::string error, contents;
  ASSERT_TRUE(platform.AppendFile(Path("log"), "1 a\n", &error)) << error;
  ASSERT_TRUE(platform.AppendFile(Path("log"), "2 b\n", &error)) << error;
  ASSERT_TRUE(platform.ReadFile(Path("log"), &contents, &error));
  EXPECT_EQ(contents, "1 a\n2 b\n");
  EXPECT_FALSE(platform.AppendFile(Path("missing/log"), "x", &error));
  EXPECT_NE(error.find("missing"), std::string::npos) << error;
}

TEST_F(PlatformTest, RemoveFileCountsAMissingFileAsRemoved) {
  std::ofstream(Path("f")) << "x";
  EXPECT_TRUE(platform.RemoveFile(Path("f")));
  EXPECT_FALSE(fs::exists(Path("f")));
  EXPECT_TRUE(platform.RemoveFile(Path("f")));
}

TEST_F(PlatformTest, MissingLibraryIsAnErrorNamingIt) {
  std::string error;
  EXPECT_EQ(platform.LoadSharedLibrary(Path("librfc32-none.so"), &error), nullptr);
  EXPECT_NE(error.find("librfc32-none"), std::string::npos) << error;
}

}  // namespace
}  // namespace quillmeter
