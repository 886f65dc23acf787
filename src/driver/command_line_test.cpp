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
  EXPECT_EQ(run.parameter_text, "Item=a #b");
  EXPECT_EQ(run.parameter_string, "ITEM=A #B");
}

TEST_F(CommandLineTest, SingleParameterWordHasNoJoiningBlank) {
  run.arguments = {"prd", "x"};
  ASSERT_TRUE(ReadCommandLine(run));
  EXPECT_EQ(run.parameter_text, "x");
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

TEST_F(CommandLineTest, ParameterDisplayCutsAtMarkers) {
  struct Case {
    const char* text;
    const char* display;
  } cases[] = {
      {"", "(No Parameters)"},       {"(No #1", "(No Parameters)"},
      {"(No", "(No"},                 {"(Parameters #x", "(No Parameters)"},
      {",HOST=a #trace", ",HOST=a "}, {"a@b#c", "a"},
      {"#", "(No Parameters)"},       {"Item=LogWrites", "Item=LogWrites"},
  };
  for (const Case& c : cases) EXPECT_EQ(ParameterDisplay(c.text), c.display) << c.text;
}

}  // namespace
}  // namespace quillmeter
