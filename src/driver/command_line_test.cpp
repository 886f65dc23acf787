#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/fake_platform.h"

namespace quillmeter {
namespace {

class CommandLineTest : public ::testing::Test {
 protected:
  FakePlatform platform;
  std::ostringstream out;
  RunState run{platform, out};
};

TEST_F(CommandLineTest, JoinsTwoParameterWordsAndIgnoresTheRest) {
  run.arguments = {"prd", "Item=a", "#b", "third", "fourth"};
  ASSERT_TRUE(ReadCommandLine(run));
  EXPECT_EQ(run.profile_name, "prd");
  EXPECT_EQ(run.options.parameter_text, "Item=a #b");
}

TEST_F(CommandLineTest, SingleParameterWordHasNoJoiningBlank) {
  run.arguments = {"prd", "x"};
  ASSERT_TRUE(ReadCommandLine(run));
  EXPECT_EQ(run.options.parameter_text, "x");
}

TEST_F(CommandLineTest, MissingProfileNameIsError1001) {
  EXPECT_FALSE(ReadCommandLine(run));
  EXPECT_EQ(run.result.str(),
            "<Prtg>\n<Error>1</Error>\n<Text>Error 1001: Parameter for Profile-Name is missing "
            "!</Text>\n</Prtg>\n");
}

TEST_F(CommandLineTest, OverlongParametersAreRefusedNotCut) {
  run.arguments = {"prd", std::string(100, 'a'), std::string(26, 'b')};
  EXPECT_TRUE(ReadCommandLine(run));
  run.arguments = {"prd", std::string(100, 'a'), std::string(27, 'b')};
  EXPECT_FALSE(ReadCommandLine(run));
  EXPECT_NE(run.result.str().find("Error 1009: Parameters too long !"), std::string::npos);
}

}  // namespace
}  // namespace quillmeter
