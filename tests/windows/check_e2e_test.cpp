// quillmeter-check.exe under Wine as an administrator runs it on a probe:
// beside the sensor in PRTG's folder, started from another working folder.
#include "windows_fixture.h"

namespace quillmeter {
namespace {

class WindowsCheckTest : public WindowsSensorTest {
 protected:
  // The check with the simulated library beside it in `dir`.
  void InstallCheck(const std::string& dir) {
    fs::create_directories(dir);
    for (const char* file : {"quillmeter-check.exe", "librfc32.dll"})
      fs::copy_file(ProgramDir() + file, dir + file, fs::copy_options::overwrite_existing);
    check_ = dir + "quillmeter-check.exe";
  }

  SensorOutput Check(const std::vector<std::string>& args) const {
    SensorOutput output = RunProcess(check_, args, kWork);
    EXPECT_EQ(output.error, "");
    return output;
  }

  // The lines of `out` that start with `tag`, the tag cut off.
  static std::vector<std::string> Tagged(const std::string& out, const std::string& tag) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
      if (line.rfind(tag, 0) == 0) lines.push_back(line.substr(tag.size()));
    return lines;
  }

  // The step of each line of `out` that starts with `tag`.
  static std::vector<std::string> Steps(const std::string& out, const std::string& tag) {
    std::vector<std::string> steps;
    for (const std::string& line : Tagged(out, tag)) steps.push_back(line.substr(0, line.find(':')));
    return steps;
  }

  std::string check_;
};

const std::string kProgramFilesX86 = kDefaultDirs[2];

TEST_F(WindowsCheckTest, SetupInProgramFilesX86PassesEveryStepAndLeavesTheProfileAlone) {
  InstallCheck(kProgramFilesX86);
  const std::string profile = ScanProfile();
  Write(kProgramFilesX86 + "PRD.P00", profile);

  SensorOutput output = Check({"PRD"});
  EXPECT_EQ(output.exit_code, 0) << output.out;
  EXPECT_EQ(Steps(output.out, "[ok]   "),
            (std::vector<std::string>{"output mode", "sensor folder", "profile", "password",
                                      "logon guard", "RFC library", "logon", "GET_CPU_ALL",
                                      "RFC_SYSTEM_INFO", "ADA_ST04", "history"}))
      << output.out;
  EXPECT_EQ(Tagged(output.out, "[warn]"), std::vector<std::string>{}) << output.out;
  EXPECT_EQ(Tagged(output.out, "[FAIL]"), std::vector<std::string>{}) << output.out;
  // Backslash paths as Windows names them, the default folder on drive C.
  EXPECT_NE(output.out.find("[ok]   sensor folder: " + kProgramFilesX86 +
                            ", found through the default folder"),
            std::string::npos)
      << output.out;
  // The check is built for the bitness of this test.
  EXPECT_NE(output.out.find(" library " + kProgramFilesX86 + "librfc32.dll, " +
                            std::to_string(sizeof(void*) * 8) + "-bit"),
            std::string::npos)
      << output.out;
  EXPECT_NE(output.out.find("[ok]   GET_CPU_ALL: collection time Wed Jun  1 09:05:07 2011\n"),
            std::string::npos)
      << output.out;
  EXPECT_NE(output.out.find("\nThe sensor would answer: (PRD) Logging: LogWrites=0, WaitBusy=0, "
                            "RollBacks=0, OverFlows=0\nResult: no problems\n"),
            std::string::npos)
      << output.out;
  // Plain printable ASCII, as a Windows console shows it in any code page.
  EXPECT_TRUE(std::all_of(output.out.begin(), output.out.end(),
                          [](char c) { return c == '\n' || (c >= ' ' && c <= '~'); }))
      << output.out;
  EXPECT_EQ(Read(kProgramFilesX86 + "PRD.P00"), profile);
  // The write test's temporary file is gone again.
  EXPECT_EQ(std::distance(fs::directory_iterator(kProgramFilesX86), fs::directory_iterator()), 3);
}

TEST_F(WindowsCheckTest, MissingSensorFolderNamesEveryFolderSearched) {
  InstallCheck(kBin);
  SensorOutput output = Check({"PRD"});
  EXPECT_EQ(output.exit_code, 1) << output.out;
  EXPECT_EQ(Tagged(output.out, "[FAIL] "),
            std::vector<std::string>{
                "sensor folder: Error 1002: Profile PRD.P00 is missing... - searched: " + kWork +
                "; C:\\Programme\\" + kExeXml + "; C:\\Program Files\\" + kExeXml +
                "; C:\\Program Files (x86)\\" + kExeXml +
                " - to fix: copy PRD.P00 into PRTG's folder for EXE/XML sensors, "
                "Custom Sensors\\EXEXML in PRTG's program folder"})
      << output.out;
  EXPECT_NE(output.out.find("\nResult: 1 problem(s)\n"), std::string::npos) << output.out;
}

TEST_F(WindowsCheckTest, ListingChecksEachSystemInAChildProcess) {
  InstallCheck(kProgramFilesX86);
  Write(kProgramFilesX86 + "PRD.P00", ScanProfile());
  Write(kProgramFilesX86 + "Tessarin.Prf", "# Gsng: systems     PRD.P00#QAS.P00#\r\n");

  SensorOutput output = Check({"x", "Item=LogWrites", "JOBS=2"});
  EXPECT_EQ(output.exit_code, 1) << output.out;
  EXPECT_EQ(Steps(output.out, "[ok]   "),
            (std::vector<std::string>{"output mode", "sensor folder", "listing"}))
      << output.out;
  // Each system's lines come back from its own process, prefixed.
  EXPECT_EQ(Steps(output.out, "PRD.P00: [ok]   "),
            (std::vector<std::string>{"profile", "password", "logon guard", "RFC library",
                                      "logon", "GET_CPU_ALL", "RFC_SYSTEM_INFO", "ADA_ST04",
                                      "history"}))
      << output.out;
  EXPECT_EQ(Steps(output.out, "QAS.P00: [FAIL] "), std::vector<std::string>{"profile"})
      << output.out;
  EXPECT_NE(output.out.find("QAS.P00: [FAIL] profile: missing: " + kProgramFilesX86 + "QAS.P00"),
            std::string::npos)
      << output.out;
  EXPECT_NE(output.out.find("\nPRD.P00: ok\nQAS.P00: profile: missing: "), std::string::npos)
      << output.out;
  EXPECT_NE(output.out.find("\nThe sensor would answer: (***) LogWrites: NoSystems=2, "
                            "Processed=1, Failed=0 - QAS.P00: missing\nResult: 1 problem(s)\n"),
            std::string::npos)
      << output.out;
}

}  // namespace
}  // namespace quillmeter
