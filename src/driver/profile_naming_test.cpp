#include "driver/profile_naming.h"

#include <gtest/gtest.h>

#include <sstream>

#include "driver/command_line.h"
#include "platform/fake_platform.h"

namespace quillmeter {
namespace {

class ProfileNamingTest : public ::testing::Test {
 protected:
  FakePlatform platform;
  std::ostringstream out;
  RunState run{platform, out};

  bool Name(std::vector<std::string> args) {
    run.arguments = std::move(args);
    return ReadCommandLine(run) && NameProfile(run);
  }
};

TEST_F(ProfileNamingTest, NamesAndExtensions) {
  struct Case {
    std::vector<std::string> args;
    const char* dir;
    const char* name;
    bool item_mode;
  } cases[] = {
      {{"prd"}, "", "prd.P00", false},
      {{"prd.txt"}, "", "prd.txt", false},
      {{"PRD.P01"}, "", "PRD.P01", false},
      {{"ab"}, "", "ab.P00", false},
      {{"global"}, "", "SAP Tessarin.Gbl", true},
      {{"Global.p00"}, "", "SAP Tessarin.Gbl", true},
      {{"/sensors/global"}, "/sensors/", "SAP Tessarin.Gbl", true},
      {{"/prd"}, "", "/prd.P00", false},
      {{"a/b/prd.P02"}, "a/b/", "prd.P02", false},
      {{"whatever", "ITEM=Host:01,next"}, "", "Tessarin.Prf", true},
  };
  for (Case& c : cases) {
    run.item_mode = false;
    std::string shown = c.args[0];
    ASSERT_TRUE(Name(c.args)) << shown;
    EXPECT_EQ(run.profile_dir, c.dir) << shown;
    EXPECT_EQ(run.profile_name, c.name) << shown;
    EXPECT_EQ(run.item_mode, c.item_mode) << shown;
  }
}

TEST_F(ProfileNamingTest, ItemKeepsCallersCaseAndStopsAtBlankOrComma) {
  ASSERT_TRUE(Name({"x", "ITEM=Host:01,next"}));
  EXPECT_EQ(run.item_id, "Host 01");
  ASSERT_TRUE(Name({"x", "item=abc"}));
  EXPECT_EQ(run.item_id, "abc");
  ASSERT_TRUE(Name({"x", "ITEM=" + std::string(120, 'w')}));
  EXPECT_EQ(run.item_id, std::string(90, 'w'));
}

TEST_F(ProfileNamingTest, MarkersSwitchOnTheConsoleTraceOnly) {
  for (const char* marker : {"#", "@", "$", "%", "a$b"}) {
    ASSERT_TRUE(Name({"prd", marker}));
    EXPECT_TRUE(run.options.console_trace) << marker;
    EXPECT_EQ(run.profile_name, "prd.P00") << marker;
    EXPECT_FALSE(run.item_mode) << marker;
  }
  ASSERT_TRUE(Name({"prd", "plain"}));
  EXPECT_FALSE(run.options.console_trace);
}

TEST_F(ProfileNamingTest, OverlongNamesAreRefusedNotCut) {
  EXPECT_TRUE(Name({std::string(59, 'p')}));
  EXPECT_FALSE(Name({std::string(60, 'p')}));
  EXPECT_NE(run.result.str().find("Error 1008: Profile-Name too long !"), std::string::npos);
  EXPECT_FALSE(Name({"/" + std::string(300, 'd') + "/prd"}));
}

TEST_F(ProfileNamingTest, MarkerFilesBesideTheExecutableSelectTheMode) {
  EXPECT_EQ(SelectedOutputMode(platform), OutputMode::kExeXml);
  platform.files["/opt/quillmeter/Quillmeter.Quintara"] = "";
  EXPECT_EQ(SelectedOutputMode(platform), OutputMode::kQuintara);
  platform.files["/opt/quillmeter/Quillmeter.Vorlind"] = "";
  EXPECT_EQ(SelectedOutputMode(platform), OutputMode::kQuintara) << "the later one wins";
  platform.files["/opt/quillmeter/Quillmeter.Drovimo"] = "";
  EXPECT_EQ(SelectedOutputMode(platform), OutputMode::kDrovimo);
}

TEST_F(ProfileNamingTest, AtMarkerOpensTheProfileWhereTheCommandLineSays) {
  platform.files["/work/prd.P00"] = "Destination:            PRD\n";
  ASSERT_TRUE(Name({"/work/prd", "@"}));
  ASSERT_TRUE(OpenProfile(run));
  EXPECT_EQ(run.profile_path, "/work/prd.P00");
  EXPECT_EQ(run.profile_contents, "Destination:            PRD\n");

  ASSERT_TRUE(Name({"/work/qas", "@"}));
  EXPECT_FALSE(OpenProfile(run));
  EXPECT_NE(run.result.str().find("Error 1002: Profile qas.P00 is missing..."), std::string::npos);
}

TEST_F(ProfileNamingTest, ProductModeNamesTheWholeMissingPath) {
  platform.files["/opt/quillmeter/Quillmeter.Talvren"] = "";
  ASSERT_TRUE(Name({"/work/qas"}));
  EXPECT_FALSE(OpenProfile(run));
  EXPECT_EQ(run.output_mode, OutputMode::kTalvren);
  EXPECT_NE(run.result.str().find("Error 1002: Profile /work/qas.P00 is missing..."),
            std::string::npos);
}

}  // namespace
}  // namespace quillmeter
