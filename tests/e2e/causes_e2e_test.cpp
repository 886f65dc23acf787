// Every failure says why: the cause after the numbered message, end to end
// with the built sensor, in the words of the file system and the profile.
#include <filesystem>

#include "sensor_fixture.h"

namespace quillmeter {
namespace {

namespace fs = std::filesystem;

class CausesE2eTest : public SensorTest {};

TEST_F(CausesE2eTest, AProfileFaultNamesTheFirstFailingKey) {
  ProfileFields short_client, long_gwhost;
  short_client.client = "10";
  long_gwhost.gwhost = std::string(61, 'g');
  const std::string whole = ProfileText();
  struct Case {
    std::string text;
    const char* cause;
  } cases[] = {
      {whole.substr(whole.find('\n') + 1), "Extcompany.: missing"},
      {ProfileText(short_client),
       "Client.....: shorter than 3 characters (\"10\" read from column 25; values start in "
       "column 25)"},
      {ProfileText(long_gwhost), "Gwhost.....: longer than 60 characters"},
  };
  for (const Case& c : cases) {
    box.WriteFile("PRD.P00", c.text);
    SensorResult at = RunSensor({"PRD", "@"});
    EXPECT_EQ(at.exit_code, 2) << c.cause;
    EXPECT_NE(at.out.find(ErrorDocument(std::string("Error 1003: Invalid Parameter(s) at PRD.P00 "
                                                    "found... - ") +
                                        c.cause)),
              std::string::npos)
        << at.out;
  }
}

TEST_F(CausesE2eTest, TheSearchForTheSensorFolderSaysWhereItLooked) {
  const std::string here = fs::canonical(box.dir()).string() + "/";
  SensorResult r = RunSensor({"PRD"});
  EXPECT_EQ(r.exit_code, 2);
  // Every directory, the one of a 32-bit PRTG on 64-bit Windows too.
  std::string searched = "searched: " + here;
  for (const char* programs : {"Programme", "Program Files", "Program Files (x86)"})
    searched += "; /" + std::string(programs) + "/PRTG Network Monitor/Custom Sensors/ExeXml/";
  EXPECT_EQ(r.out, ErrorDocument("Error 1002: Profile PRD.P00 is missing... - " + searched));

  WriteProfile("PRD");
  r = RunSensor({"PRD"});
  EXPECT_EQ(r.out,
            ErrorDocument("Sorry, invalid Path-Usage... - not an EXEXML sensor folder: " + here));
}

TEST_F(CausesE2eTest, ALongFolderIsRefusedWithTheReasonFirstAndNeverCut) {
  // The folder's tail shows why it was refused; nothing of it is cut.
  const std::string deep = "sensors/" + std::string(150, 'x') + "/ExeXml.old/";
  fs::create_directories(box.Path(deep));
  box.WriteFile(deep + "PRD.P00", ProfileText());
  RunOptions there;
  there.subdir = deep;
  SensorResult r = RunSensor({"PRD"}, there);
  EXPECT_EQ(r.out, ErrorDocument("Sorry, invalid Path-Usage... - not an EXEXML sensor folder: " +
                                 fs::canonical(box.Path(deep)).string() + "/"));
}

TEST_F(CausesE2eTest, AProfileOpenedWhereTheCommandLineSaysNamesThePathTriedAndWhy) {
  const std::string here = fs::canonical(box.dir()).string() + "/";
  SensorResult r = RunSensor({"PRD", "@"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.out.find(ErrorDocument("Error 1002: Profile PRD.P00 is missing... - " + here +
                                     "PRD.P00: No such file or directory")),
            std::string::npos)
      << r.out;
  // A product mode, selected beside the executable, names the whole path.
  RunOptions quintara;
  quintara.executable = box.Copy(SensorExecutable(), "bin/quillmeter");
  box.WriteFile("bin/Quillmeter.Quintara", "");
  fs::create_directories(box.Path("PRD.P00"));
  r = RunSensor({"PRD"}, quintara);
  EXPECT_EQ(r.out, ErrorDocument("Error 1002: Profile PRD.P00 is missing... - " + here +
                                 "PRD.P00: not a regular file"));
}

TEST_F(CausesE2eTest, ProfileAndListingFaultsSayWhatIsWrong) {
  const std::string whole = ProfileText();
  const std::string stored = StoredPassword(ProfileFields().password);
  const std::string destination = "Destination:             PRD\n";
  const std::string early = "Destination:            PRD\n";  // a column early
  struct Case {
    std::vector<std::string> args;
    std::string file, text;
    std::string answer;
  } cases[] = {
      {{"PRD", "@"},
       "PRD.P00",
       std::string(whole).replace(whole.find(stored), 24, stored.substr(0, 23)),
       "Error 1004: Invalid Password in Profile PRD.P00 found... - the stored form has 23 "
       "characters, not 24"},
      {{"PRD", "@"},
       "PRD.P00",
       std::string(whole).replace(whole.find(destination), destination.size(), early),
       "Error 1003: Invalid Parameter(s) at PRD.P00 found... - Destination: shorter than 3 "
       "characters (\"RD\" read from column 25; values start in column 25)"},
      {{std::string(60, 'p'), "@"},
       "",
       "",
       "Error 1008: Profile-Name too long ! - the profile name has 64 characters with its "
       "extension, at most 63"},
      {{"global", "sens1", "@"},
       "SAP Tessarin.Gbl",
       "# GSNX: SENS1     :Item=LogWrites,Sensor=\"SAP Other\"\n",
       "Error 1029: Invalid Sensor-Allocation... - no ,Sensor=\"SAP Quillmeter\""},
      {{"global", "sens1", "@"},
       "SAP Tessarin.Gbl",
       "# GSNG: OTHER       PRD.P00#\n# GSNX: SENS1     :Item=LogWrites,Sensor=\"SAP "
       "Quillmeter\"\n",
       "Error 1025: Global Server Listing missing... - SAP Tessarin.Gbl names no system for "
       "SENS1"},
  };
  for (const Case& c : cases) {
    if (!c.file.empty()) box.WriteFile(c.file, c.text);
    SensorResult r = RunSensor(c.args);
    EXPECT_EQ(r.exit_code, 2) << c.answer;
    EXPECT_NE(r.out.find(ErrorDocument(c.answer)), std::string::npos) << r.out;
    // The stored form itself is never shown.
    EXPECT_EQ(r.out.find(stored.substr(4, 12)), std::string::npos) << r.out;
  }
}

TEST_F(CausesE2eTest, ATimeOrWorkerCountThatIsNoNumberInItsRangeIsRefusedFirst) {
  // Refused before anything else: there is no profile at all here.
  const struct {
    std::vector<std::string> args;
    std::string answer;
  } cases[] = {
      {{"PRD", "TIMEOUT=5O"},
       "Error 1048: TIMEOUT= must be a whole number of seconds from 1 to 900 - read \"5O\""},
      {{"PRD", "@", "timeout=-3"},
       "Error 1048: TIMEOUT= must be a whole number of seconds from 1 to 900 - read \"-3\""},
      {{"x", "Item=LogWrites,JOBS=33"},
       "Error 1048: JOBS= must be a whole number from 1 to 32 - read \"33\""},
      {{"global", "sens1", "@ jobs=0"},
       "Error 1048: JOBS= must be a whole number from 1 to 32 - read \"0\""},
  };
  for (const auto& c : cases) {
    SensorResult r = RunSensor(c.args);
    EXPECT_EQ(r.exit_code, 2) << c.answer;
    EXPECT_EQ(r.out, ErrorDocument(c.answer)) << c.answer;
  }
  // In a listing's allocation, before any system is scanned.
  WriteProfile("PRD");
  WriteSystem();
  RecordLibraryCalls();
  box.WriteFile("SAP Tessarin.Gbl",
                "# GSNG: SENS1       PRD.P00#\n"
                "# GSNX: SENS1     :Item=LogWrites,Timeout=abc,Sensor=\"SAP Quillmeter\"\n");
  SensorResult r = RunSensor({"global", "sens1", "@"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.out.find(ErrorDocument("Error 1048: TIMEOUT= must be a whole number of seconds "
                                     "from 1 to 900 - read \"abc\" in SAP Tessarin.Gbl")),
            std::string::npos)
      << r.out;
  EXPECT_EQ(LibraryCalls(), "");
}

TEST_F(CausesE2eTest, AGlobalSensorThatIsNotListedSaysWhichLineIsMissing) {
  box.WriteFile("SAP Tessarin.Gbl", "# GSNG: AB        ::PRD.P00#\n");
  SensorResult r = RunSensor({"global", "ab", "@"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.out.find(ErrorDocument("Error 1030: Global Sensor ab not found... - SAP "
                                     "Tessarin.Gbl has no line \"# GSNX: AB\"")),
            std::string::npos)
      << r.out;
}

}  // namespace
}  // namespace quillmeter
