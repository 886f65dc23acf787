#include "rfc/load_sap_library.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/fake_platform.h"
#include "rfc/nwrfc.h"
#include "rfc/sapnwrfc_ini.h"

namespace quillmeter {
namespace {

TEST(RfcLibraryChoice, TheProfileNamesClassicNetweaverOrNothing) {
  struct Case {
    const char* value;
    bool valid;
    RfcLibraryChoice choice;
  } cases[] = {
      {"", true, RfcLibraryChoice::kAutomatic},        {"  ", true, RfcLibraryChoice::kAutomatic},
      {"classic", true, RfcLibraryChoice::kClassic},   {"CLASSIC ", true, RfcLibraryChoice::kClassic},
      {"NetWeaver", true, RfcLibraryChoice::kNetWeaver}, {"net weaver", false, {}},
      {" classic", false, {}},                         {"librfc32", false, {}},
  };
  for (const Case& c : cases) {
    RfcLibraryChoice choice = RfcLibraryChoice::kClassic;
    EXPECT_EQ(ParseRfcLibraryChoice(c.value, &choice), c.valid) << c.value;
    if (!c.valid) continue;
    EXPECT_EQ(choice, c.choice) << c.value;
    EXPECT_TRUE(ParseRfcLibraryChoice(RfcLibraryChoiceName(choice), &choice));
  }
}

class NullSink : public FailureSink {
 public:
  void Report(const LibraryFailure&) override {}
  void Aborted() override {}
};

// Every operation of both libraries, at an address never called here.
std::map<std::string, void*> AnyOperations() {
  static int never_called;
  std::map<std::string, void*> symbols;
  for (const char* name :
       {"RfcEnvironment", "RfcOpen", "RfcOpenEx", "RfcInstallStructure", "RfcCall", "RfcReceive",
        "RfcLastError", "RfcClose", "ItCreate", "ItFill", "ItGetLine", "ItDelete",
        "RfcOpenConnection", "RfcCloseConnection", "RfcGetFunctionDesc", "RfcCreateFunction",
        "RfcDestroyFunction", "RfcInvoke", "RfcSetChars", "RfcGetChars", "RfcGetStructure",
        "RfcGetTable", "RfcGetRowCount", "RfcMoveToLastRow", "RfcSetIniPath"})
    symbols[name] = &never_called;
  return symbols;
}

const SapUc* QM_RFC_CALL Version(unsigned* major, unsigned* minor, unsigned* patch) {
  *major = 7500;
  *minor = *patch = 0;
  return u"";
}

class LoadSapLibraryTest : public ::testing::Test {
 protected:
  const std::string classic = "/opt/quillmeter/" + std::string(RfcLibraryFileName());
  const std::string netweaver = "/opt/quillmeter/" + std::string(NetWeaverLibraryFileName());

  void Install(const std::string& path) {
    platform.libraries[path] = AnyOperations();
    auto version = &Version;
    std::memcpy(&platform.libraries[path]["RfcGetVersion"], &version, sizeof(void*));
  }
  Status Load(RfcLibraryChoice choice) {
    platform.loads.clear();
    return LoadSapLibrary(choice, platform, sink, &library);
  }

  FakePlatform platform;
  NullSink sink;
  std::unique_ptr<SapLibrary> library;
};

TEST_F(LoadSapLibraryTest, WithoutAChoiceTheClassicLibraryWinsWhereItLoads) {
  Install(netweaver);
  ASSERT_TRUE(Load(RfcLibraryChoice::kAutomatic).ok());
  EXPECT_EQ(platform.loads.back(), netweaver);
  Install(classic);
  ASSERT_TRUE(Load(RfcLibraryChoice::kAutomatic).ok());
  EXPECT_EQ(platform.loads, std::vector<std::string>{classic});
  ASSERT_TRUE(Load(RfcLibraryChoice::kNetWeaver).ok());
  EXPECT_EQ(platform.loads, std::vector<std::string>{netweaver});
}

TEST_F(LoadSapLibraryTest, AChosenLibraryIsTheOnlyOneTried) {
  Install(netweaver);
  Status classic_only = Load(RfcLibraryChoice::kClassic);
  EXPECT_EQ(classic_only.message().rfind("Error 1040: RFC library " +
                                             std::string(RfcLibraryFileName()) + " cannot be loaded (",
                                         0),
            0u);
  EXPECT_EQ(classic_only.message().find(NetWeaverLibraryFileName()), std::string::npos);
  platform.libraries.clear();
  Install(classic);
  EXPECT_EQ(Load(RfcLibraryChoice::kNetWeaver).message().find(RfcLibraryFileName()),
            std::string::npos);
}

TEST_F(LoadSapLibraryTest, WhenNeitherLoadsBothAreNamed) {
  Install(netweaver);
  platform.libraries[netweaver].erase("RfcInvoke");
  Status none = Load(RfcLibraryChoice::kAutomatic);
  const std::string message = none.message();
  EXPECT_EQ(message.rfind("Error 1040: RFC library " + std::string(RfcLibraryFileName()), 0), 0u);
  EXPECT_NE(message.find(") ! - RFC library " + netweaver + " lacks the operation RfcInvoke ("),
            std::string::npos)
      << message;
}

TEST(SapNwRfcIni, FindsTheDestinationsOwnEntryOnly) {
  EXPECT_TRUE(IniHasDestination("DEFAULT\nRFC_TRACE=0\n\nDEST=PRD\nASHOST=h\n", "PRD"));
  EXPECT_TRUE(IniHasDestination("  dest = PRD  \r\n", "PRD"));
  EXPECT_FALSE(IniHasDestination("DEST=PRD2\nDEST=prd\n#DEST=PRD\n// DEST=PRD\n", "PRD"));
  EXPECT_FALSE(IniHasDestination("ASHOST=PRD\nDESTINATION=PRD\n", "PRD"));
  EXPECT_FALSE(IniHasDestination("DEST=\n", ""));
}

}  // namespace
}  // namespace quillmeter
