#include "driver/command_line.h"

#include <gtest/gtest.h>

namespace quillmeter {
namespace {

TEST(CommandLineTest, JoinsTwoParameterWordsAndIgnoresTheRest) {
  CommandLine line;
  ASSERT_TRUE(ReadCommandLine({"prd", "Item=a", "#b", "third", "fourth"}, &line).ok());
  EXPECT_EQ(line.profile, "prd");
  EXPECT_EQ(line.second_argument, "Item=a");
  EXPECT_EQ(line.options.parameter_text, "Item=a #b");
  ASSERT_TRUE(ReadCommandLine({"prd", "x"}, &line).ok());
  EXPECT_EQ(line.options.parameter_text, "x") << "a single word has no joining blank";
}

TEST(CommandLineTest, MissingProfileAndOverlongParametersAreRefused) {
  CommandLine line;
  EXPECT_EQ(ReadCommandLine({}, &line).message(),
            "Error 1001: Parameter for Profile-Name is missing !");
  EXPECT_TRUE(ReadCommandLine({"prd", std::string(100, 'a'), std::string(26, 'b')}, &line).ok());
  EXPECT_EQ(ReadCommandLine({"prd", std::string(100, 'a'), std::string(27, 'b')}, &line).message(),
            "Error 1009: Parameters too long !");
  Status typo = ReadCommandLine({"prd", "@", "TIMEOUT=5O"}, &line);
  EXPECT_EQ(typo.message(), "Error 1048: TIMEOUT= must be a whole number of seconds from 1 to 900");
  EXPECT_EQ(typo.cause(), "read \"5O\"");
}

}  // namespace
}  // namespace quillmeter
