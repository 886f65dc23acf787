// Scans of one profile that overlap, as PRTG starts them when a scan is
// slow, and holders of the profile such as a virus scanner or a backup
// agent: every scan answers, and the profile is always one whole version.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <thread>

#include "windows_fixture.h"

namespace quillmeter {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

const std::string kSensorDir = kDefaultDirs[2];
const std::string kProfile = kSensorDir + "PRD.P00";
const std::vector<std::string> kInstalled = {"PRD.P00", "librfc32.dll", "quillmeter.exe"};

// The counters of round `round`: each figure grows every round.
std::string Counters(int round) {
  return "LOGPAGES " + std::to_string(5000000000LL + 1000LL * round) + "\nLOGWAITS " +
         std::to_string(300 + round) + "\nROLLBACKS " + std::to_string(1500 + round) +
         "\nQUEUEOVER 2\n";
}

std::string Sample(const char* tag, int round) {
  return std::string(tag) +
         " Date=20110601 09:05:07 Writes=" + std::to_string(5000000000LL + 1000LL * round) +
         " WaitBusy=" + std::to_string(300 + round) + " RollBacks=" + std::to_string(1500 + round) +
         " OverFlows=2\r\n";
}

// The profile once round `round` is stored on top of the round before.
std::string ProfileAfter(int round) {
  return ScanProfile() + Sample("# Alg", round) + Sample("# Alx", round - 1);
}

// True when `profile` is a whole version from any round up to `round`: the
// settings, then a newest and an older sample, nothing cut or mixed.
bool IsWhole(const std::string& profile, int round) {
  for (int newest = -1; newest <= round; ++newest)
    for (int older = -2; older < newest; ++older)
      if (profile == ScanProfile() + Sample("# Alg", newest) + Sample("# Alx", older)) return true;
  return false;
}

// Holds a file open as a virus scanner does: reading, and without
// FILE_SHARE_DELETE, so that nobody may rename over it meanwhile.
class Holder {
 public:
  explicit Holder(const std::string& path)
      : file_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~Holder() { Release(); }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;
  bool held() const { return file_ != INVALID_HANDLE_VALUE; }
  void Release() {
    if (held()) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE file_;
};

// Opens the profile again and again for a moment, as an on-access virus
// scanner does with a file just written, until destroyed.
class Scanner {
 public:
  Scanner()
      : thread_([this] {
          while (!stop_) {
            {
              Holder holder(kProfile);
              std::this_thread::sleep_for(milliseconds(5));
            }
            std::this_thread::sleep_for(milliseconds(10));
          }
        }) {}
  ~Scanner() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

class WindowsReplaceTest : public WindowsSensorTest {
 protected:
  void SetUp() override {
    WindowsSensorTest::SetUp();
    Install(kSensorDir);
    InstallLibrary();
    Write(kProfile, ScanProfile());
  }

  // The names in the sensor folder, sorted.
  static std::vector<std::string> SensorDirNames() {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(kSensorDir, ignored))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  static bool TemporaryExists() {
    for (const std::string& name : SensorDirNames())
      if (name.find(".tmp") != std::string::npos) return true;
    return false;
  }

  // A scan started now in a thread of its own, so that the test can act on
  // the profile while the scan runs.
  std::future<SensorOutput> StartScan() {
    std::string exe = kSensorDir + "quillmeter.exe";
    return std::async(std::launch::async, [exe] { return RunProcess(exe, {"PRD"}, kWork); });
  }

  // Waits until the running scan has written its temporary file beside the
  // profile (it is about to rename it), or has ended.
  static void AwaitReplace(std::future<SensorOutput>& scan) {
    while (!TemporaryExists() && scan.wait_for(milliseconds(1)) != std::future_status::ready) {
    }
  }

  // Runs `rounds` rounds of `at_once` scans started together, with the
  // counters growing every round, and checks every answer and the profile
  // after each round. Prints the figures.
  void Stress(size_t at_once, int rounds, const char* beside = "") {
    const std::string grown = ScanDocument("1.000", "1", "1", "0");
    const std::string unchanged = ScanDocument("0", "0", "0", "0");
    size_t scans = 0, failed = 0, damaged = 0, stale = 0, leftovers = 0;
    std::string first_failure, first_damage;
    auto start = steady_clock::now();
    Write(kProfile, ProfileAfter(-1));
    for (int round = 0; round < rounds; ++round) {
      Write(kWork + "PRD.simrfc", System(Counters(round)));
      for (const SensorOutput& output : RunAtOnce({"PRD"}, at_once)) {
        ++scans;
        // A scan that read the profile after another one had stored this
        // round's sample reports no growth; either answer is right.
        if (output.exit_code == 0 && output.error.empty() &&
            (output.out == grown || output.out == unchanged))
          continue;
        if (failed++ == 0)
          first_failure = "round " + std::to_string(round) + ", exit code " +
                          std::to_string(output.exit_code) + " " + output.error + ":\n" +
                          output.out;
      }
      std::string profile = Read(kProfile);
      if (!IsWhole(profile, round)) {
        if (damaged++ == 0) first_damage = "round " + std::to_string(round) + ":\n" + profile;
      } else if (profile != ProfileAfter(round)) {
        // Whole, but without this round's sample: every scan that should
        // have stored it failed.
        ++stale;
      }
      if (SensorDirNames() != kInstalled) {
        ++leftovers;
        for (const auto& entry : fs::directory_iterator(kSensorDir))
          if (entry.path().filename().string().find(".tmp") != std::string::npos)
            fs::remove(entry.path());
      }
    }
    double seconds = std::chrono::duration<double>(steady_clock::now() - start).count();
    std::printf(
        "[ figures  ] %zu at once x %d rounds%s: %zu scans, %zu failed, %zu damaged "
        "profiles, %zu rounds without their sample, %zu rounds leaving temporaries, %.1f s\n",
        at_once, rounds, beside, scans, failed, damaged, stale, leftovers, seconds);
    EXPECT_EQ(failed, 0u) << "first failure, " << first_failure;
    EXPECT_EQ(damaged, 0u) << "first damaged profile, " << first_damage;
    EXPECT_EQ(stale, 0u);
    EXPECT_EQ(leftovers, 0u);
  }
};

TEST_F(WindowsReplaceTest, TwoScansAtOnceAllAnswerAndKeepTheProfileWhole) { Stress(2, 100); }

TEST_F(WindowsReplaceTest, EightScansAtOnceAllAnswerAndKeepTheProfileWhole) { Stress(8, 40); }

TEST_F(WindowsReplaceTest, ScansBesideAVirusScannerAllAnswerAndKeepTheProfileWhole) {
  Scanner scanner;
  Stress(2, 50, " beside a scanner");
}

TEST_F(WindowsReplaceTest, ScanWaitsForABriefHolderOfTheProfile) {
  Write(kWork + "PRD.simrfc", System(kFirstCounters));
  ASSERT_EQ(Run({"PRD"}).exit_code, 0);
  Write(kWork + "PRD.simrfc", System(kLaterCounters));
  Holder holder(kProfile);
  ASSERT_TRUE(holder.held());
  std::future<SensorOutput> scan = StartScan();
  AwaitReplace(scan);
  std::this_thread::sleep_for(milliseconds(300));
  holder.Release();
  SensorOutput output = scan.get();
  EXPECT_EQ(output.error, "");
  EXPECT_EQ(output.out, ScanDocument("1.234", "10", "1", "0"));
  EXPECT_EQ(output.exit_code, 0);
  EXPECT_EQ(Read(kProfile),
            ScanProfile() +
                "# Alg Date=20110601 09:05:07 Writes=5000001234 WaitBusy=310 RollBacks=1501 "
                "OverFlows=2\r\n"
                "# Alx Date=20110601 09:05:07 Writes=5000000000 WaitBusy=300 RollBacks=1500 "
                "OverFlows=2\r\n");
  EXPECT_EQ(SensorDirNames(), kInstalled);
}

TEST_F(WindowsReplaceTest, HolderThatStaysIsError1016AndTheProfileStaysAsItWas) {
  Write(kWork + "PRD.simrfc", System(kFirstCounters));
  ASSERT_EQ(Run({"PRD"}).exit_code, 0);
  Write(kWork + "PRD.simrfc", System(kLaterCounters));
  const std::string before = Read(kProfile);
  Holder holder(kProfile);
  ASSERT_TRUE(holder.held());
  auto held_since = steady_clock::now();
  std::future<SensorOutput> scan = StartScan();
  // The scan gives up long before the holder lets go.
  ASSERT_EQ(scan.wait_until(held_since + milliseconds(5000)), std::future_status::ready);
  SensorOutput output = scan.get();
  EXPECT_EQ(Read(kProfile), before);
  EXPECT_EQ(SensorDirNames(), kInstalled);
  std::this_thread::sleep_until(held_since + milliseconds(5000));
  holder.Release();
  EXPECT_EQ(output.error, "");
  // The numbered message, and the system's reason for the refused replace.
  EXPECT_EQ(output.out, "<Prtg>\n<Error>1</Error>\n<Text>Error 1016: ReWriting of Profile "
                        "PRD.P00 failed ! - Access denied</Text>\n</Prtg>\n");
  EXPECT_EQ(output.exit_code, 2);
  EXPECT_EQ(Read(kProfile), before);
}

}  // namespace
}  // namespace quillmeter
