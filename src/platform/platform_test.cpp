// The real platform of the machine the tests run on.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

namespace quillmeter {
namespace {

namespace fs = std::filesystem;

class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("quillmeter-platform-" +
           std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string Path(const char* name) { return (dir / name).string(); }

  Platform& platform = SystemPlatform();
  fs::path dir;
};

// Asserts that a status is ok, naming its failure otherwise.
#define ASSERT_OK(status)              \
  do {                                 \
    Status s_ = (status);              \
    ASSERT_TRUE(s_.ok()) << s_.Text(); \
  } while (false)

TEST_F(PlatformTest, AtomicReplaceWritesWholeFileAndLeavesNoTemporary) {
  std::string contents;
  ASSERT_OK(platform.AtomicReplace(Path("p"), "old\n"));
  ASSERT_OK(platform.AtomicReplace(Path("p"), std::string(100000, 'x')));
  ASSERT_OK(platform.ReadFile(Path("p"), &contents));
  EXPECT_EQ(contents, std::string(100000, 'x'));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(PlatformTest, FailedReplaceLeavesTheOldFileAndGivesTheSystemsReason) {
  std::string contents;
  ASSERT_OK(platform.AtomicReplace(Path("p"), "old\n"));
  Status failed = platform.AtomicReplace(Path("missing/p"), "new\n");
  EXPECT_FALSE(failed.ok());
  EXPECT_NE(failed.message().find("missing"), std::string::npos) << failed.Text();
  EXPECT_FALSE(failed.cause().empty());
  EXPECT_EQ(failed.cause().find("missing"), std::string::npos) << failed.cause();
  ASSERT_OK(platform.ReadFile(Path("p"), &contents));
  EXPECT_EQ(contents, "old\n");
}

TEST_F(PlatformTest, ReplacingThroughALinkReplacesTheFileItNames) {
  std::string contents;
  ASSERT_OK(platform.AtomicReplace(Path("p"), "old\n"));
  std::error_code link_error;
  fs::create_symlink("p", dir / "link", link_error);
  if (link_error) GTEST_SKIP() << "no symbolic links here: " << link_error.message();
  ASSERT_OK(platform.AtomicReplace(Path("link"), "new\n"));
  EXPECT_TRUE(fs::is_symlink(dir / "link"));
  ASSERT_OK(platform.ReadFile(Path("p"), &contents));
  EXPECT_EQ(contents, "new\n");
}

TEST_F(PlatformTest, ReadingADirectoryOrMissingFileFails) {
  std::string contents;
  EXPECT_FALSE(platform.ReadFile(dir.string(), &contents).ok());
  Status missing = platform.ReadFile(Path("none"), &contents);
  EXPECT_FALSE(missing.ok());
  EXPECT_NE(missing.message().find("none"), std::string::npos) << missing.Text();
}

TEST_F(PlatformTest, AppendFileCreatesThenAppends) {
  std::string contents;
  ASSERT_OK(platform.AppendFile(Path("log"), "1 a\n"));
  ASSERT_OK(platform.AppendFile(Path("log"), "2 b\n"));
  ASSERT_OK(platform.ReadFile(Path("log"), &contents));
  EXPECT_EQ(contents, "1 a\n2 b\n");
  Status failed = platform.AppendFile(Path("missing/log"), "x");
  EXPECT_NE(failed.message().find("missing"), std::string::npos) << failed.Text();
}

TEST_F(PlatformTest, RemoveFileCountsAMissingFileAsRemoved) {
  std::ofstream(Path("f")) << "x";
  EXPECT_TRUE(platform.RemoveFile(Path("f")).ok());
  EXPECT_FALSE(fs::exists(Path("f")));
  EXPECT_TRUE(platform.RemoveFile(Path("f")).ok());
}

TEST_F(PlatformTest, FullPathsHangFromTheCurrentDirectory) {
  std::string cwd = platform.FullPath("");
  ASSERT_FALSE(cwd.empty());
  EXPECT_TRUE(platform.IsPathSeparator(cwd.back())) << cwd;
  EXPECT_EQ(fs::path(cwd) / "x", fs::current_path() / "x");
  EXPECT_EQ(platform.FullPath("sub" + std::string(1, platform.PathSeparator()) + "f"),
            cwd + "sub" + platform.PathSeparator() + "f");
  std::string full = Path("f");
  EXPECT_EQ(platform.FullPath(full), full);
}

TEST_F(PlatformTest, AWaitingLockIsToldWhoHoldsItAndTakesItOnRelease) {
  std::unique_ptr<FileLock> first;
  ASSERT_OK(platform.LockFile(Path("lck"), LockHolder{"HNG", nullptr}, &first));
  std::promise<std::string> told;
  std::thread waiter([&] {
    std::unique_ptr<FileLock> second;
    LockHolder holder{"DEM", [&](const std::string& name) { told.set_value(name); }};
    EXPECT_TRUE(platform.LockFile(Path("lck"), holder, &second).ok());
  });
  std::future<std::string> name = told.get_future();
  ASSERT_EQ(name.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(name.get(), "HNG");
  first.reset();
  waiter.join();
  // Released, the file names nobody; taken at once, nobody is told.
  std::unique_ptr<FileLock> third;
  LockHolder unwaited{"QAS", [](const std::string&) { ADD_FAILURE() << "waited for a free lock"; }};
  ASSERT_OK(platform.LockFile(Path("lck"), unwaited, &third));
}

TEST_F(PlatformTest, MissingLibraryIsAnErrorNamingIt) {
  std::unique_ptr<DynamicLibrary> library;
  Status failed = platform.LoadSharedLibrary(Path("librfc32-none.so"), &library);
  EXPECT_EQ(library, nullptr);
  EXPECT_NE(failed.Text().find("librfc32-none"), std::string::npos) << failed.Text();
}

}  // namespace
}  // namespace quillmeter
