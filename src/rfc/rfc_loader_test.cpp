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

// A platform whose library search finds `searched`, as Windows' does.
class SearchingPlatform : public FakePlatform {
 public:
  std::string FindLibrary(const std::string& file) override {
    return file == kFile ? searched : std::string();
  }
  std::string searched;
};

// The first bytes of a PE image built for `machine`.
std::string PeHeader(unsigned machine) {
  std::string header(0x46, '\0');
  header.replace(0, 2, "MZ");
  header[0x3C] = 0x40;
  header.replace(0x40, 4, std::string("PE\0\0", 4));
  header[0x44] = static_cast<char>(machine & 0xFF);
  header[0x45] = static_cast<char>(machine >> 8);
  return header;
}
const std::string kI386 = PeHeader(0x014C);
const std::string kAmd64 = PeHeader(0x8664);

TEST(RfcLoaderBitnessTest, LibraryOfTheOtherBitnessIsNamedWhereverItIsFound) {
  const std::string searched = "C:\\Windows\\SysWOW64\\" + kFile;
  for (bool on_search_path : {false, true}) {
    SearchingPlatform platform;
    std::ostringstream out;
    RunState run{platform, out};
    platform.files[platform.ExecutablePath()] = kAmd64;
    platform.searched = searched;
    platform.files[on_search_path ? searched : kBeside] = kI386;
    EXPECT_FALSE(LoadRfcLibrary(run));
    EXPECT_EQ(run.result.str(), "<Prtg>\n<Error>1</Error>\n<Text>Error 1040: RFC library " +
                                    (on_search_path ? searched : kBeside) +
                                    " is a 32-bit library and this quillmeter.exe is 64-bit: use "
                                    "the win32 package !</Text>\n</Prtg>\n")
        << on_search_path;
  }
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
    EXPECT_NE(state.result.str().find("Error 1041: RFC library " + kBeside +
                                      " lacks the operation " + name +
                                      " (undefined symbol: " + name + ") !"),
              std::string::npos)
        << name << ": " << state.result.str();
  }
}

}  // namespace
}  // namespace quillmeter
