#include "driver/run.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/fake_platform.h"

namespace quillmeter {
namespace {

class RunTest : public ::testing::Test {
 protected:
  FakePlatform platform;
  std::ostringstream out;

  int RunSensorWith(std::vector<std::string> args) {
    RunState run(platform, out);
    run.arguments = std::move(args);
    run.prtg_path_file = "/root/PRTG_Path.Txt";
    run.drive_root = "/root";
    return RunSensor(run);
  }
};

TEST_F(RunTest, NoArgumentIsError1001AndNothingElse) {
  EXPECT_EQ(RunSensorWith({}), 2);
  EXPECT_EQ(out.str(),
            "<Prtg>\n<Error>1</Error>\n<Text>Error 1001: Parameter for Profile-Name is missing "
            "!</Text>\n</Prtg>\n");
}

TEST_F(RunTest, MissingProfileIsError1002InEveryMode) {
  EXPECT_EQ(RunSensorWith({"prd"}), 2);
  EXPECT_EQ(out.str(),
            "<Prtg>\n<Error>1</Error>\n<Text>Error 1002: Profile prd.P00 is missing..."
            "</Text>\n</Prtg>\n");
  out.str("");
  platform.files["/opt/quillmeter/Quillmeter.Quintara"] = "";
  EXPECT_EQ(RunSensorWith({"R&D"}), 2);
  EXPECT_EQ(out.str(),
            "<Prtg>\n<Error>1</Error>\n<Text>Error 1002: Profile R&D.P00 is missing..."
            "</Text>\n</Prtg>\n");
}

TEST_F(RunTest, ProfileOutsideExeXmlIsRefused) {
  platform.files["prd.P00"] = "Destination:            PRD\n";
  EXPECT_EQ(RunSensorWith({"prd"}), 2);
  EXPECT_EQ(out.str(),
            "<Prtg>\n<Error>1</Error>\n<Text>Sorry, invalid Path-Usage...</Text>\n</Prtg>\n");
}

}  // namespace
}  // namespace quillmeter
