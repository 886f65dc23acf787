#include "driver/profile_naming.h"

#include <gtest/gtest.h>

#include "platform/fake_platform.h"

namespace quillmeter {
namespace {

class ProfileNamingTest : public ::testing::Test {
 protected:
  Status Name(const std::string& argument, const std::string& parameters = "") {
    options = ParseOptions(parameters);
    return NameProfile(platform, argument, options, &naming);
  }

  FakePlatform platform;
  SensorOptions options;
  ProfileName naming;
};

TEST_F(ProfileNamingTest, NamesAndExtensions) {
  struct Case {
    const char* argument;
    const char* parameters;
    const char* dir;
    const char* name;
    bool item_mode;
  } cases[] = {
      {"prd", "", "", "prd.P00", false},
      {"prd.txt", "", "", "prd.txt", false},
      {"PRD.P01", "", "", "PRD.P01", false},
      {"ab", "", "", "ab.P00", false},
      {"global", "", "", "SAP Tessarin.Gbl", true},
      {"Global.p00", "", "", "SAP Tessarin.Gbl", true},
      {"/sensors/global", "", "/sensors/", "SAP Tessarin.Gbl", true},
      {"/prd", "", "", "/prd.P00", false},
      {"a/b/prd.P02", "", "a/b/", "prd.P02", false},
      {"whatever", "ITEM=Host:01,next", "", "Tessarin.Prf", true},
      {"prd", "#$%", "", "prd.P00", false},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(Name(c.argument, c.parameters).ok()) << c.argument;
    EXPECT_EQ(naming.dir, c.dir) << c.argument;
    EXPECT_EQ(naming.name, c.name) << c.argument;
    EXPECT_EQ(naming.item_mode, c.item_mode) << c.argument;
  }
}

TEST_F(ProfileNamingTest, OverlongNamesAreRefusedNotCut) {
  EXPECT_TRUE(Name(std::string(59, 'p')).ok());
  Status name = Name(std::string(60, 'p'));
  EXPECT_EQ(name.message(), "Error 1008: Profile-Name too long !");
  EXPECT_EQ(name.cause(), "the profile name has 64 characters with its extension, at most 63");
  Status dir = Name("/" + std::string(300, 'd') + "/prd");
  EXPECT_EQ(dir.message(), "Error 1008: Profile-Name too long !");
  EXPECT_EQ(dir.cause(), "the directory has 302 characters, at most 255");
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

TEST_F(ProfileNamingTest, WhereTheProfileIsOpenedAndHowItsAbsenceIsNamed) {
  platform.files["/work/prd.P00"] = "Destination:            PRD\n";
  const SearchRoots roots{"/PRTG_Path.Txt", ""};
  ProfileFile file;
  ASSERT_TRUE(Name("/work/prd", "@").ok());
  ASSERT_TRUE(OpenProfile(platform, roots, naming, OutputMode::kExeXml, options, &file).ok());
  EXPECT_EQ(file.path, "/work/prd.P00");
  EXPECT_EQ(file.contents, "Destination:            PRD\n");

  ASSERT_TRUE(Name("/work/qas", "@").ok());
  EXPECT_EQ(OpenProfile(platform, roots, naming, OutputMode::kExeXml, options, &file).message(),
            "Error 1002: Profile qas.P00 is missing...");
  EXPECT_EQ(OpenProfile(platform, roots, naming, OutputMode::kTalvren, options, &file).message(),
            "Error 1002: Profile /work/qas.P00 is missing...");
  ASSERT_TRUE(Name("/work/prd").ok());
  EXPECT_EQ(OpenProfile(platform, roots, naming, OutputMode::kExeXml, options, &file).message(),
            "Error 1002: Profile prd.P00 is missing...")
      << "without \"@\" the PRTG mode searches its sensor directory";
}

}  // namespace
}  // namespace quillmeter
