#include "rfc/connection.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/fake_platform.h"
#include "rfc/call_log.h"
#include "rfc/fake_librfc.h"
#include "rfc/rfc_loader.h"

namespace quillmeter {
namespace {

class ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFakeLibrfc();
    ServeFakeLibrfc(platform, platform.executable_dir + RfcLibraryFileName());
    ASSERT_TRUE(LoadRfcLibrary(run));
    run.profile_name = "PRD.P00";
    ConnectionProfile& p = run.profile;
    p.destination = "PRD";
    p.client = "100";
    p.user = "MON";
    p.password = "Secret12";
    p.language = "E";
    p.mode = "R/3";
    p.host_name = "sapprd01";
    p.system_number = "02";
    p.gateway_host = "";
    p.gateway_service = "";
  }

  void UseParameters(const std::string& text) { run.options = ParseOptions(text); }

  FakePlatform platform;
  std::ostringstream out;
  RunState run{platform, out};
  const SeenOpen& seen = TheFakeLibrfc().open;
};

TEST_F(ConnectionTest, OptionsRecordCarriesProfileWithPaddedUserAndPassword) {
  EXPECT_EQ(OpenConnection(run), 7u);
  EXPECT_EQ(run.connection, 7u);
  EXPECT_EQ(TheFakeLibrfc().calls, std::vector<std::string>{"RfcOpen"});
  EXPECT_EQ(seen.destination, "PRD");
  EXPECT_EQ(seen.client, "100");
  EXPECT_EQ(seen.user, "MON         ");
  EXPECT_EQ(seen.password, "Secret12  ");
  EXPECT_EQ(seen.language, "E");
  EXPECT_EQ(seen.mode, 0);
  EXPECT_EQ(seen.trace, 0);
  EXPECT_EQ(seen.hostname, "sapprd01");
  EXPECT_EQ(seen.sysnr, 2);
  EXPECT_EQ(seen.gateway_host, std::nullopt);
  EXPECT_EQ(seen.gateway_service, std::nullopt);
  EXPECT_EQ(out.str(), "");
}

TEST_F(ConnectionTest, LongUserAndPasswordStayWhole) {
  const struct {
    std::string user, password, padded_user, padded_password;
  } cases[] = {
      {"ABCDEFGHIJKL", "0123456789", "ABCDEFGHIJKL", "0123456789"},
      {"ABCDEFGHIJKLMNO", "0123456789ABC", "ABCDEFGHIJKLMNO", "0123456789ABC"},
      {"AB", "pw", "AB          ", "pw        "},
  };
  for (const auto& c : cases) {
    run.profile.user = c.user;
    run.profile.password = c.password;
    OpenConnection(run);
    EXPECT_EQ(seen.user, c.padded_user) << c.user;
    EXPECT_EQ(seen.password, c.padded_password) << c.password;
  }
}

TEST_F(ConnectionTest, OnlyExactlyR2UsesTheGatewayRecord) {
  const struct {
    const char* mode;
    int value;
  } cases[] = {{"R/2", 1}, {"R/3", 0}, {"", 0}, {"r/2", 0}, {"R/2 ", 0}, {"R/22", 0}};
  run.profile.gateway_host = "gw01";
  run.profile.gateway_service = "sapgw00";
  for (const auto& c : cases) {
    ResetFakeLibrfc();
    run.profile.mode = c.mode;
    OpenConnection(run);
    EXPECT_EQ(seen.mode, c.value) << c.mode;
    EXPECT_TRUE(seen.connopt) << c.mode;
    EXPECT_EQ(seen.gateway_host, "gw01") << c.mode;
    EXPECT_EQ(seen.gateway_service, "sapgw00") << c.mode;
    // Only the host record carries a host name.
    EXPECT_EQ(seen.hostname.has_value(), c.value == 0) << c.mode;
  }
}

TEST_F(ConnectionTest, EmptyTextsBecomeNullEntries) {
  run.profile.mode = "R/2";
  run.profile.gateway_host = "gw01";
  OpenConnection(run);
  EXPECT_EQ(seen.gateway_host, "gw01");
  EXPECT_EQ(seen.gateway_service, std::nullopt);
  run.profile.mode = "R/3";
  run.profile.host_name = "";
  run.profile.gateway_host = "";
  run.profile.gateway_service = "sapgw00";
  OpenConnection(run);
  EXPECT_EQ(seen.hostname, std::nullopt);
  EXPECT_EQ(seen.gateway_host, std::nullopt);
  EXPECT_EQ(seen.gateway_service, "sapgw00");
}

TEST_F(ConnectionTest, SystemNumberIsItsDecimalValue) {
  const struct {
    const char* text;
    int value;
  } cases[] = {{"00", 0},
               {"07", 7},
               {"42", 42},
               {" 3", 3},
               {"12x", 12},
               {"x1", 0},
               {"99999999999999", 2147483647}};
  for (const auto& c : cases) {
    run.profile.system_number = c.text;
    OpenConnection(run);
    EXPECT_EQ(seen.sysnr, c.value) << c.text;
  }
}

TEST_F(ConnectionTest, HostAndSystemNumberOverridesFromParameters) {
  const struct {
    const char* parameters;
    std::optional<std::string> host;
    int sysnr;
  } cases[] = {
      {"@,HOST=SapPrd02", "SapPrd02", 2},
      {"@,host=sapprd03,no=05", "sapprd03", 5},
      {"@ ,NO=11 #", "sapprd01", 11},
      {"@,HOST=", std::nullopt, 2},
      {"@,HOST=a,b", "a", 2},
      {"@HOST=x", "sapprd01", 2},
  };
  for (const auto& c : cases) {
    UseParameters(c.parameters);
    run.profile.system_number = "02";
    OpenConnection(run);
    EXPECT_EQ(seen.hostname, c.host) << c.parameters;
    EXPECT_EQ(seen.sysnr, c.sysnr) << c.parameters;
  }
}

TEST_F(ConnectionTest, EmptySystemNumberOverrideKeepsThePreviousNumber) {
  OpenConnection(run);
  UseParameters("@,NO=");
  OpenConnection(run);
  EXPECT_EQ(seen.sysnr, 2);
}

TEST_F(ConnectionTest, PerDestinationFileOpensThroughConnectString) {
  const std::string ini("DEST=PRD\r\nTYPE=A\n\0binary\xff", 24);
  platform.files["SapRfc.PRD"] = ini;
  platform.files["SapRfc.ini"] = "old and longer contents";
  run.profile.user = "mon";
  EXPECT_EQ(OpenConnection(run), 7u);
  EXPECT_EQ(TheFakeLibrfc().calls, std::vector<std::string>{"RfcOpenEx"});
  EXPECT_EQ(TheFakeLibrfc().connect_string, "CLIENT=100 USER=MON PASSWD=Secret12 LANG=D DEST=PRD");
  EXPECT_EQ(platform.replaces, std::vector<std::string>{"SapRfc.ini"});
  EXPECT_EQ(platform.files["SapRfc.ini"], ini);
  EXPECT_EQ(out.str(), "");
}

TEST_F(ConnectionTest, SapRfcIniLineOnlyWithConsoleTrace) {
  platform.files["SapRfc.PRD"] = "x";
  run.options.console_trace = true;
  OpenConnection(run);
  EXPECT_EQ(out.str(), "* SapRfc.Ini.......: PRD<\n");
}

TEST_F(ConnectionTest, FailedCopyOpensNothing) {
  platform.files["SapRfc.PRD"] = "new";
  platform.files["SapRfc.ini"] = "old";
  platform.fail_next_replace = true;
  std::string refusal;
  EXPECT_EQ(OpenConnection(run, &refusal), 0u);
  EXPECT_EQ(run.connection, 0u);
  EXPECT_TRUE(TheFakeLibrfc().calls.empty());
  EXPECT_EQ(refusal, "");
  EXPECT_EQ(platform.files["SapRfc.ini"], "old");
}

TEST_F(ConnectionTest, ValuesThatWouldInjectConnectStringKeysAreRefused) {
  platform.files["SapRfc.PRD"] = "x";
  const struct {
    std::string client, user, password;
    const char* field;
  } cases[] = {
      {"100 DEST=QAS", "MON", "Secret12", "Client"}, {"100", "MON DEST=QAS", "Secret12", "User"},
      {"100", "MON=X", "Secret12", "User"},          {"100", "MON\tX", "Secret12", "User"},
      {"100", "MON", "Sec ret", "Password"},         {"100", "MON", "Sec\nret", "Password"},
  };
  for (const auto& c : cases) {
    ResetFakeLibrfc();
    run.profile.client = c.client;
    run.profile.user = c.user;
    run.profile.password = c.password;
    std::string refusal;
    EXPECT_EQ(OpenConnection(run, &refusal), 0u) << c.field;
    EXPECT_TRUE(TheFakeLibrfc().calls.empty()) << c.field;
    EXPECT_EQ(refusal, std::string("Error 1042: ") + c.field +
                           " in Profile PRD.P00 holds a character not allowed in the RFC "
                           "connect string !");
  }
  // A password may hold "=": only a blank ends its value.
  run.profile.client = "100";
  run.profile.user = "MON";
  run.profile.password = "a=b";
  EXPECT_EQ(OpenConnection(run), 7u);
  EXPECT_EQ(TheFakeLibrfc().connect_string, "CLIENT=100 USER=MON PASSWD=a=b LANG=D DEST=PRD");
}

TEST_F(ConnectionTest, DestinationHoldingAPathIsRefusedBeforeAnyFileIsRead) {
  for (const char* destination : {"../x", "..\\x", "C:x", "/etc"}) {
    run.profile.destination = destination;
    std::string refusal;
    platform.reads.clear();
    EXPECT_EQ(OpenConnection(run, &refusal), 0u) << destination;
    EXPECT_TRUE(platform.reads.empty()) << destination;
    EXPECT_EQ(refusal, "Error 1043: Destination in Profile PRD.P00 is no plain name !")
        << destination;
  }
}

TEST_F(ConnectionTest, OptionsRecordTakesAnyValue) {
  run.profile.user = "MON DEST=QAS";
  run.profile.password = "Sec ret";
  EXPECT_EQ(OpenConnection(run), 7u);
  EXPECT_EQ(seen.user, "MON DEST=QAS");
  EXPECT_EQ(seen.password, "Sec ret   ");
}

TEST_F(ConnectionTest, CloseClosesTheHandleOnce) {
  OpenConnection(run);
  CloseConnection(run);
  CloseConnection(run);
  EXPECT_EQ(TheFakeLibrfc().calls, (std::vector<std::string>{"RfcOpen", "RfcClose 7"}));
  EXPECT_EQ(run.connection, 0u);
}

TEST_F(ConnectionTest, FailedOpenLeavesNoHandle) {
  TheFakeLibrfc().open_result = 0;
  EXPECT_EQ(OpenConnection(run), 0u);
  CloseConnection(run);
  EXPECT_EQ(TheFakeLibrfc().calls, std::vector<std::string>{"RfcOpen"});
}

TEST_F(ConnectionTest, CallLogRecordsOpensWithoutThePassword) {
  UseParameters("@,SYSLOG");
  LogRfcEvent(run, "program started", "/opt/quillmeter/quillmeter");
  OpenConnection(run);
  platform.files["SapRfc.PRD"] = "x";
  OpenConnection(run);
  EXPECT_EQ(CallLogPath(run), "PRD.P00.log");
  EXPECT_EQ(platform.files["PRD.P00.log"],
            "0 program started /opt/quillmeter/quillmeter\n"
            "7 RfcOpen called \n"
            "7 RfcOpenEx called \n");
  EXPECT_EQ(platform.appends.size(), 3u);
}

TEST_F(ConnectionTest, NoCallLogWithoutSyslog) {
  UseParameters("@,SYSLO");
  LogRfcEvent(run, "program started", "x");
  OpenConnection(run);
  EXPECT_TRUE(platform.appends.empty());
}

}  // namespace
}  // namespace quillmeter
