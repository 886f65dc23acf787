// A fixture for runs of the Windows sensor under Wine as on a probe: the
// sensor in a folder of its own, a working directory on drive C, and the
// fixed Windows locations cleaned before and after each test.
#ifndef QUILLMETER_TESTS_WINDOWS_WINDOWS_FIXTURE_H_
#define QUILLMETER_TESTS_WINDOWS_WINDOWS_FIXTURE_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "profiles/profile_text.h"
#include "sensor_process.h"

namespace quillmeter {

namespace fs = std::filesystem;

inline const std::string kRoot = "C:\\quillmeter-e2e\\";
inline const std::string kBin = kRoot + "bin\\";
inline const std::string kWork = kRoot + "work\\";
inline const std::string kPathFile = "C:\\PRTG_Path.Txt";
inline const std::string kExeXml = "PRTG Network Monitor\\Custom Sensors\\ExeXml\\";
inline const std::string kDefaultDirs[] = {
    "C:\\Programme\\" + kExeXml,
    "C:\\Program Files\\" + kExeXml,
    "C:\\Program Files (x86)\\" + kExeXml,
};

// A system profile of the simulated system PRD, password Secret12.
inline std::string ScanProfile() { return ProfileText({}, "", "\r\n"); }

// The simulated system PRD with fixed counters and collection time.
inline std::string System(const std::string& counters, const std::string& more = "") {
  return "client 100\nuser MONITOR\npassword Secret12\ndatabase ADABAS D\nhost sapprd01\n"
         "lastcoll Wed Jun  1 09:05:07 2011\nst04line\n" +
         counters + more;
}

inline const std::string kFirstCounters =
    "LOGPAGES 5000000000\nLOGWAITS 300\nROLLBACKS 1500\nQUEUEOVER 2\n";
inline const std::string kLaterCounters =
    "LOGPAGES 5000001234\nLOGWAITS 310\nROLLBACKS 1501 dotted\nQUEUEOVER 2\n";

// The document of a successful scan: the summary and the four channels.
inline std::string ScanDocument(const std::string& writes, const std::string& wait_busy,
                                const std::string& rollbacks, const std::string& overflows) {
  auto channel = [](const char* name, const std::string& value) {
    std::string plain = value;
    plain.erase(std::remove(plain.begin(), plain.end(), '.'), plain.end());
    return "\n<Result><Channel>" + std::string(name) + "</Channel>\n<Value>" + plain +
           "</Value></Result>\n";
  };
  return "\n<Prtg>\n\n<Text>(PRD) Logging: LogWrites=" + writes + ", WaitBusy=" + wait_busy +
         ", RollBacks=" + rollbacks + ", OverFlows=" + overflows + "</Text>\n" +
         channel("LogWrites", writes) + channel("WaitBusy", wait_busy) +
         channel("RollBacks", rollbacks) + channel("Overflows", overflows) + "\n</Prtg>\n";
}

inline std::string ErrorDocument(const std::string& message) {
  return "<Prtg>\n<Error>1</Error>\n<Text>" + message + "</Text>\n</Prtg>\n";
}

class WindowsSensorTest : public ::testing::Test {
 protected:
  // The sensor with the simulated library in its own folder, and the
  // simulated system PRD described in the working directory.
  void SetUp() override {
    Clean();
    Install(kBin);
    InstallLibrary();
    Write(kWork + "PRD.simrfc", System(kFirstCounters));
  }

  // Copies the sensor into `dir` and runs it from there from now on.
  void Install(const std::string& dir) {
    fs::create_directories(dir);
    fs::copy_file(ProgramDir() + "quillmeter.exe", dir + "quillmeter.exe",
                  fs::copy_options::overwrite_existing);
    exe_ = dir + "quillmeter.exe";
  }

  // Copies the simulated librfc32.dll beside the installed sensor.
  void InstallLibrary() {
    fs::copy_file(ProgramDir() + "librfc32.dll", fs::path(exe_).parent_path() / "librfc32.dll",
                  fs::copy_options::overwrite_existing);
  }

  // Profile <sid>.P00 in `dir` and its simulated system in the working
  // directory, answering one monitor line; `more` adds description lines.
  static void WriteSystem(const std::string& dir, const std::string& sid,
                          const std::string& more = "") {
    ProfileFields fields;
    fields.destination = sid;
    Write(dir + sid + ".P00", ProfileText(fields, "", "\r\n"));
    Write(kWork + sid + ".simrfc",
          "client 100\nuser MONITOR\npassword Secret12\n"
          "lastcoll Wed Jun  1 09:05:07 2011\nst04line\nLOGPAGES 1\n" +
              more);
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

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
  }

  SensorOutput Run(const std::vector<std::string>& args,
                   const std::string& working_dir = kWork) const {
    SensorOutput output = RunProcess(exe_, args, working_dir);
    EXPECT_EQ(output.error, "");
    return output;
  }

  // Runs `count` sensors at the same moment, as overlapping PRTG scans do.
  std::vector<SensorOutput> RunAtOnce(const std::vector<std::string>& args, size_t count) const {
    return RunProcesses(exe_, args, kWork, count);
  }

  // The search found the profile: a whole first scan followed.
  static void ExpectScanned(const SensorOutput& output, const std::string& where) {
    EXPECT_EQ(output.out, ScanDocument("0", "0", "0", "0")) << where;
    EXPECT_EQ(output.exit_code, 0) << where;
  }

 private:
  std::string exe_;
};

}  // namespace quillmeter

#endif  // QUILLMETER_TESTS_WINDOWS_WINDOWS_FIXTURE_H_
