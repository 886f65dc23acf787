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
      {ProfileText(short_client), "Client.....: shorter than 3 characters"},
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
  // Whole directories, as many as a cause holds.
  std::string searched = "searched: " + here;
  for (const char* programs : {"Programme", "Program Files", "Program Files (x86)"}) {
    std::string longer =
        searched + "; /" + programs + "/PRTG Network Monitor/Custom Sensors/ExeXml/";
    if (longer.size() > 200) break;
    searched = longer;
  }
  EXPECT_EQ(r.out, ErrorDocument("Error 1002: Profile PRD.P00 is missing... - " + searched));

  WriteProfile("PRD");
  r = RunSensor({"PRD"});
  EXPECT_EQ(r.out, ErrorDocument("Sorry, invalid Path-Usage... - " + here +
                                 " is not an EXEXML sensor folder"));
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
