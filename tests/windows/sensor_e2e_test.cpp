// The Windows sensor run as PRTG runs it, against the real Windows
// locations on drive C: the path file C:\PRTG_Path.Txt, the default sensor
// directories on the current drive, and backslash paths on the command line.
// The tests share drive C, so CTest runs them one at a time.
#include "windows_fixture.h"

namespace quillmeter {
namespace {

TEST_F(WindowsSensorTest, DocumentIsByteForByteTheSameAsOnEveryPlatform) {
  SensorOutput output = Run({});
  EXPECT_EQ(output.out, ErrorDocument("Error 1001: Parameter for Profile-Name is missing !"));
  EXPECT_EQ(output.exit_code, 2);
}

TEST_F(WindowsSensorTest, ProfileInWorkingDirectoryIsJudgedByTheFoldersFullName) {
  Write(kWork + "PRD.P00", ScanProfile());
  SensorOutput output = Run({"PRD"});
  EXPECT_EQ(output.out,
            ErrorDocument("Sorry, invalid Path-Usage... - not an EXEXML sensor folder: " + kWork));
  EXPECT_EQ(output.exit_code, 2);
  // PRTG may start the sensor in its sensor folder.
  const std::string folder = kRoot + "Custom Sensors\\EXEXML\\";
  Write(folder + "PRD.P00", ScanProfile());
  Write(folder + "PRD.simrfc", System(kFirstCounters));
  ExpectScanned(Run({"PRD"}, folder), folder);
}

// What a missing profile's message says was searched when there is no path
// file: the working directory and every default directory on its drive.
std::string Searched(const std::string& drive, const std::string& working_dir) {
  std::string searched = "searched: " + working_dir;
  for (const char* programs : {"Programme", "Program Files", "Program Files (x86)"})
    searched += "; " + drive + "\\" + programs + "\\" + kExeXml;
  return searched;
}

TEST_F(WindowsSensorTest, NoProfileAnywhereIsError1002WithTheBareName) {
  SensorOutput output = Run({"PRD"});
  EXPECT_EQ(output.out,
            ErrorDocument("Error 1002: Profile PRD.P00 is missing... - " + Searched("C:", kWork)));
  EXPECT_EQ(output.exit_code, 2);
}

TEST_F(WindowsSensorTest, EachDefaultDirectoryOnTheCurrentDriveIsFound) {
  for (const std::string& dir : kDefaultDirs) {
    Clean();
    SetUp();
    Write(dir + "PRD.P00", ScanProfile());
    ExpectScanned(Run({"PRD"}), dir);
  }
}

TEST_F(WindowsSensorTest, DefaultDirectoriesHangFromTheCurrentDrive) {
  // With the working directory on drive Z the same folders on C are not
  // searched.
  Write(kDefaultDirs[1] + "PRD.P00", ScanProfile());
  SensorOutput output = Run({"PRD"}, "Z:\\");
  EXPECT_EQ(output.out,
            ErrorDocument("Error 1002: Profile PRD.P00 is missing... - " + Searched("Z:", "Z:\\")));
}

TEST_F(WindowsSensorTest, PathFileDriveLineFindsTheProfileUnderTheFullSubPath) {
  Write(kPathFile, "C:\r\n");
  Write("C:\\" + kExeXml + "PRD.P00", ScanProfile());
  ExpectScanned(Run({"PRD"}), "C:\\" + kExeXml);
}

TEST_F(WindowsSensorTest, PathFileDirectoryFindsTheShortSubPath) {
  Write(kPathFile, "rem the probe\r\nC:\\Sensors\\PRTG\r\n");
  Write("C:\\Sensors\\PRTG\\Custom Sensors\\ExeXml\\PRD.P00", ScanProfile());
  ExpectScanned(Run({"PRD"}), "C:\\Sensors\\PRTG\\Custom Sensors\\ExeXml\\");
}

TEST_F(WindowsSensorTest, PathFileWithoutTheProfileIgnoresTheDefaults) {
  Write(kPathFile, "C:\\Sensors\\PRTG\\\n");
  Write(kDefaultDirs[0] + "PRD.P00", ScanProfile());
  SensorOutput output = Run({"PRD"});
  EXPECT_EQ(output.out, ErrorDocument("Error 1002: Profile PRD.P00 is missing... - searched: "
                                      "C:\\Sensors\\PRTG\\" +
                                      kExeXml +
                                      "; C:\\Sensors\\PRTG\\Custom Sensors\\ExeXml\\; "
                                      "C:\\Sensors\\PRTG\\"));
  EXPECT_EQ(output.exit_code, 2);
}

TEST_F(WindowsSensorTest, PathFileDirectoryEndingInExeXmlAnyCaseIsAccepted) {
  Write(kPathFile, "C:\\Sensors\\exeXML\n");
  Write("C:\\Sensors\\exeXML\\PRD.P00", ScanProfile());
  ExpectScanned(Run({"PRD"}), "C:\\Sensors\\exeXML\\");
}

TEST_F(WindowsSensorTest, DirectoryInFirstArgumentIsIgnoredWhenSearching) {
  Write("C:\\Sensors\\PRD.P00", ScanProfile());
  Write(kDefaultDirs[2] + "PRD.P00", ScanProfile());
  ExpectScanned(Run({"C:\\Sensors\\PRD"}), kDefaultDirs[2]);
  Clean();
  SetUp();
  Write("C:\\Sensors\\PRD.P00", ScanProfile());
  SensorOutput output = Run({"C:\\Sensors\\PRD"});
  EXPECT_EQ(output.out,
            ErrorDocument("Error 1002: Profile PRD.P00 is missing... - " + Searched("C:", kWork)));
}

TEST_F(WindowsSensorTest, BackslashPathInFirstArgumentOpensTheProfileWithAt) {
  Write("C:\\Sensors\\PRD.P00", ScanProfile());
  SensorOutput output = Run({"C:\\Sensors\\PRD", "@"});
  EXPECT_EQ(output.exit_code, 0) << output.out;
  // The trace lines stand around the document; the name shown has no folder.
  EXPECT_NE(output.out.find(" PRD.P00, sapprd01, PRD, 02, 100 State=Processing\n"),
            std::string::npos)
      << output.out;
  EXPECT_NE(output.out.find(ScanDocument("0", "0", "0", "0")), std::string::npos) << output.out;
  EXPECT_NE(Read("C:\\Sensors\\PRD.P00").find("# Alg Date=20110601 09:05:07"), std::string::npos);

  SensorOutput missing = Run({"C:\\Sensors\\QAS", "@"});
  EXPECT_NE(missing.out.find("<Text>Error 1002: Profile QAS.P00 is missing... - "
                             "C:\\Sensors\\QAS.P00: "),
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
