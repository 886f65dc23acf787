#include "rfc/rfc_loader.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/fake_platform.h"
#include "rfc/fake_librfc.h"
#include "rfc/rfc_library.h"

namespace quillmeter {
namespace {

// librfc32.dll on Windows, librfc32.so elsewhere.
const std::string kFile = RfcLibraryFileName();
const std::string kBeside = "/opt/quillmeter/" + kFile;

class RfcLoaderTest : public ::testing::Test {
 protected:
  FakePlatform platform;
  std::ostringstream out;
  RunState run{platform, out};
};

TEST_F(RfcLoaderTest, LoadsTheLibraryBesideTheExecutableFirst) {
  ServeFakeLibrfc(platform, kBeside);
  ServeFakeLibrfc(platform, kFile);
  ASSERT_TRUE(LoadRfcLibrary(run));
  EXPECT_EQ(platform.loads, std::vector<std::string>{kBeside});
  ASSERT_NE(run.rfc, nullptr);
  EXPECT_NE(run.rfc->ItDelete, nullptr);
  // Loaded once per process.
  EXPECT_TRUE(LoadRfcLibrary(run));
  EXPECT_EQ(platform.loads.size(), 1u);
}

TEST_F(RfcLoaderTest, FallsBackToTheSystemSearchPath) {
  ServeFakeLibrfc(platform, kFile);
  ASSERT_TRUE(LoadRfcLibrary(run));
  EXPECT_EQ(platform.loads, (std::vector<std::string>{kBeside, kFile}));
}

TEST_F(RfcLoaderTest, MissingLibraryIsError1040WithBothReasons) {
  EXPECT_FALSE(LoadRfcLibrary(run));
  EXPECT_EQ(run.rfc, nullptr);
  EXPECT_EQ(run.result.str(),
            "<Prtg>\n<Error>1</Error>\n<Text>Error 1040: RFC library " + kFile +
                " cannot be loaded (/opt/quillmeter/" + kFile +
                ": cannot open shared object file: No such file or directory; " + kFile +
                ": cannot open shared object file: No such file or directory) !</Text>\n"
                "</Prtg>\n");
}

TEST_F(RfcLoaderTest, EachMissingOperationIsError1041NamingIt) {
  for (const char* name :
       {"RfcEnvironment", "RfcOpen", "RfcOpenEx", "RfcInstallStructure", "RfcCall", "RfcReceive",
        "RfcLastError", "RfcClose", "ItCreate", "ItFill", "ItGetLine", "ItDelete"}) {
    FakePlatform fresh;
    RunState state(fresh, out);
    ServeFakeLibrfc(fresh, kBeside, name);
    EXPECT_FALSE(LoadRfcLibrary(state)) << name;
    EXPECT_EQ(state.rfc, nullptr) << name;
    EXPECT_NE(
        state.result.str().find("Error 1041: RFC library " + kBeside + " lacks the operation " +
                                name + " (undefined symbol: " + name + ") !"),
        std::string::npos)
        << name << ": " << state.result.str();
  }
}

}  // namespace
}  // namespace quillmeter
