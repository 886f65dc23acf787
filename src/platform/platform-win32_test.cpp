// The Windows platform against other holders of its files: a virus scanner
// or backup agent that opens a file for a moment, a reader that stays.
#include "platform/platform-win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <thread>

#include "platform/platform.h"

namespace quillmeter {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kShareNoDelete = FILE_SHARE_READ | FILE_SHARE_WRITE;

// Another process's handle on a file, stood in for by one of this process:
// the sharing checks are per handle.
class Holder {
 public:
  Holder(const std::string& path, DWORD share)
      : file_(CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~Holder() {
    if (release_.joinable()) release_.join();
    Close();
  }
  bool held() const { return file_ != INVALID_HANDLE_VALUE; }
  // Lets go of the file `after` from now, while the test goes on.
  void ReleaseAfter(milliseconds after) {
    release_ = std::thread([this, after] {
      std::this_thread::sleep_for(after);
      Close();
    });
  }

 private:
  void Close() {
    if (held()) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
  }
  HANDLE file_;
  std::thread release_;
};

class WindowsPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("quillmeter-win32-" +
           std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string Path(const std::string& name) { return (dir / name).string(); }
  size_t Files() { return std::distance(fs::directory_iterator(dir), fs::directory_iterator()); }
  static double SecondsSince(steady_clock::time_point start) {
    return std::chrono::duration<double>(steady_clock::now() - start).count();
  }

  Platform& platform = SystemPlatform();
  fs::path dir;
};

TEST_F(WindowsPlatformTest, BriefHolderIsWaitedFor) {
  const struct {
    const char* what;
    DWORD share;
    bool replace;
  } cases[] = {
      // Blocks MoveFileEx (under Wine every open handle does).
      {"replace beside a reader that shares deletion", kShareAll, true},
      {"replace beside a reader that does not share deletion", kShareNoDelete, true},
      {"read beside an exclusive holder", 0, false},
  };
  for (const auto& c : cases) {
    std::string path = Path("PRD.P00");
    ASSERT_TRUE(platform.AtomicReplace(path, "old\n").ok()) << c.what;
    Status status;
    std::string contents;
    {
      Holder holder(path, c.share);
      ASSERT_TRUE(holder.held()) << c.what;
      holder.ReleaseAfter(milliseconds(300));
      status =
          c.replace ? platform.AtomicReplace(path, "new\n") : platform.ReadFile(path, &contents);
    }
    EXPECT_TRUE(status.ok()) << c.what << ": " << status.Text();
    if (c.replace) {
      ASSERT_TRUE(platform.ReadFile(path, &contents).ok()) << c.what;
    }
    EXPECT_EQ(contents, c.replace ? "new\n" : "old\n") << c.what;
    EXPECT_EQ(Files(), 1u) << c.what;
  }
}

TEST_F(WindowsPlatformTest, HolderThatStaysFailsAfterAboutASecondWithTheSystemsReason) {
  const struct {
    const char* what;
    DWORD share;
    bool replace;
    const char* message;
  } cases[] = {
      {"replace", kShareNoDelete, true, "cannot rename onto "},
      {"read", 0, false, "cannot open "},
  };
  for (const auto& c : cases) {
    std::string path = Path("PRD.P00");
    ASSERT_TRUE(platform.AtomicReplace(path, "old\n").ok()) << c.what;
    Status status;
    double seconds = 0;
    {
      Holder holder(path, c.share);
      ASSERT_TRUE(holder.held()) << c.what;
      std::string contents;
      auto start = steady_clock::now();
      status =
          c.replace ? platform.AtomicReplace(path, "new\n") : platform.ReadFile(path, &contents);
      seconds = SecondsSince(start);
      // No temporary is left beside the file, even while it is held.
      EXPECT_EQ(Files(), 1u) << c.what;
    }
    EXPECT_FALSE(status.ok()) << c.what;
    EXPECT_EQ(status.message(), c.message + path) << c.what;
    EXPECT_FALSE(status.cause().empty()) << c.what;
    EXPECT_GE(seconds, 0.9) << c.what;
    EXPECT_LT(seconds, 3.0) << c.what;
    std::string contents;
    ASSERT_TRUE(platform.ReadFile(path, &contents).ok()) << c.what;
    EXPECT_EQ(contents, "old\n") << c.what;
  }
}

TEST_F(WindowsPlatformTest, OtherFailuresDoNotWait) {
  const struct {
    const char* what;
    bool replace;
    std::string path;
  } cases[] = {
      // A directory is refused with the same code as a locked file.
      {"read a directory", false, dir.string()},
      {"read a missing file", false, Path("none.P00")},
      {"replace in a missing directory", true, Path("none\\PRD.P00")},
  };
  for (const auto& c : cases) {
    std::string contents;
    auto start = steady_clock::now();
    Status status =
        c.replace ? platform.AtomicReplace(c.path, "new\n") : platform.ReadFile(c.path, &contents);
    EXPECT_FALSE(status.ok()) << c.what;
    EXPECT_LT(SecondsSince(start), 0.5) << c.what << ": " << status.Text();
  }
}

// The buffer of the rename that readers do not block, checked by the
// system itself: the plain rename reads the same layout, and must rename
// the temporary over the very file that the ANSI calls name.
TEST_F(WindowsPlatformTest, RenameInfoNamesTheFileTheAnsiCallsOpen) {
  std::string accented;
  {
    // "Prüfung" in the ANSI code page, if it can spell it.
    char bytes[32] = {0};
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(CP_ACP, 0, L"Pr\u00fcfung.P00", -1, bytes, sizeof bytes, nullptr,
                                &lossy);
    if (n > 1 && !lossy) accented.assign(bytes, static_cast<size_t>(n - 1));
  }
  // A relative name is taken from the working directory, as SapRfc.ini is.
  struct WorkingDirectory {
    explicit WorkingDirectory(const fs::path& dir) { fs::current_path(dir); }
    ~WorkingDirectory() { fs::current_path(before); }
    fs::path before = fs::current_path();
  } working_directory(dir);
  std::vector<std::string> paths = {"PRD.P00", Path("QAS.P00"), dir.generic_string() + "/DEV.P00"};
  if (!accented.empty()) paths.push_back(Path(accented));
  for (const std::string& path : paths) {
    ASSERT_TRUE(platform.AtomicReplace(path, "old\n").ok()) << path;
    std::vector<unsigned char> info = PosixRenameInfo(path);
    const size_t name_offset = offsetof(FILE_RENAME_INFO, FileName);
    ASSERT_GT(info.size(), name_offset + sizeof(wchar_t)) << path;
    DWORD flags = 0, name_bytes = 0;
    HANDLE root = INVALID_HANDLE_VALUE;
    std::memcpy(&flags, info.data(), sizeof flags);
    std::memcpy(&root, info.data() + offsetof(FILE_RENAME_INFO, RootDirectory), sizeof root);
    std::memcpy(&name_bytes, info.data() + offsetof(FILE_RENAME_INFO, FileNameLength),
                sizeof name_bytes);
    EXPECT_EQ(flags, 3u) << path;  // replace, readers keep the old file
    EXPECT_EQ(root, nullptr) << path;
    EXPECT_EQ(info.size(), name_offset + name_bytes + sizeof(wchar_t)) << path;
    EXPECT_EQ(info[info.size() - 1], 0) << path;
    EXPECT_EQ(info[info.size() - 2], 0) << path;

    std::string temp = Path("new.tmp");
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, "new\n", 4, &written, nullptr);
    BOOL renamed = SetFileInformationByHandle(file, FileRenameInfo, info.data(),
                                              static_cast<DWORD>(info.size()));
    DWORD error = renamed ? 0 : GetLastError();
    CloseHandle(file);
    EXPECT_TRUE(renamed) << path << ": error " << error;
    std::string contents;
    EXPECT_TRUE(platform.ReadFile(path, &contents).ok()) << path;
    EXPECT_EQ(contents, "new\n") << path;
    EXPECT_FALSE(fs::exists(temp)) << path;
  }
  EXPECT_EQ(Files(), paths.size());
}

}  // namespace
}  // namespace quillmeter
