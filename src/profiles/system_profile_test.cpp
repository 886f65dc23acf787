#include "profiles/system_profile.h"

#include <gtest/gtest.h>

#include <map>

#include "base/text.h"
#include "platform/fake_platform.h"
#include "profiles/password.h"

namespace quillmeter {
namespace {

// One profile line: the key, blanks up to column 25, the value.
std::string Line(const std::string& key, const std::string& value) {
  return key + std::string(13, ' ') + value;
}

const std::string kStoredSecret = ScramblePassword("Secret12", 3, "abcdefghijkl");

// A complete profile; `change` replaces (or with "" drops) lines by key, and
// `extra` is appended.
std::string Profile(const std::map<std::string, std::string>& change = {},
                    const std::string& extra = "", const std::string& eol = "\n") {
  const std::pair<std::string, std::string> lines[] = {
      {"Extcompany.:", Line("Extcompany.:", "Tessarin AG")},
      {"Destination:", Line("Destination:", "PRD")},
      {"Client.....:", Line("Client.....:", "100")},
      {"User.......:", Line("User.......:", "rfcmon")},
      {"Password...:", Line("Password...:", kStoredSecret)},
      {"Language...:", Line("Language...:", "E")},
      {"Mode.......:", Line("Mode.......:", "ASHOST")},
      {"Hostname...:", Line("Hostname...:", "sapprd01")},
      {"Sysnr......:", Line("Sysnr......:", "00")},
      {"Gwhost.....:", Line("Gwhost.....:", "sapgw01")},
      {"Gwservice..:", Line("Gwservice..:", "sapgw00")},
  };
  std::string text = "* Quillmeter profile" + eol;
  for (const auto& [key, line] : lines) {
    auto it = change.find(key);
    std::string chosen = it == change.end() ? line : it->second;
    if (!chosen.empty()) text += chosen + eol;
  }
  return text + extra;
}

class SystemProfileTest : public ::testing::Test {
 protected:
  Status Read(const std::string& contents) {
    return ReadSystemProfile(contents, "prd.P00", &profile);
  }

  FakePlatform platform;
  ConnectionProfile profile;
};

TEST_F(SystemProfileTest, EveryFaultIsNamedInItsOrder) {
  const std::string wrong = [] {
    std::string s = kStoredSecret;
    s[10] = s[10] == 'A' ? 'B' : 'A';
    return s;
  }();
  const std::string empty_password = ScramblePassword("", 0, "abcdefghijklmnopqrst");
  const std::string missing_user = "Error 1006: Username in Profile prd.P00 is missing...";
  const std::string missing_password = "Error 1007: Password in Profile prd.P00 is missing...";
  const std::string invalid_password = "Error 1004: Invalid Password in Profile prd.P00 found...";
  const std::string wrong_password = "Error 1005: Wrong Password in Profile prd.P00 found...";
  const std::string invalid_parameter = "Error 1003: Invalid Parameter(s) at prd.P00 found...";
  const struct {
    std::string contents;
    std::string message;
  } cases[] = {
      {Profile({{"User.......:", ""}}), missing_user},
      {Profile({{"User.......:", "User.......:  no value"}}), missing_user},
      {Profile({{"Password...:", ""}}), missing_password},
      {Profile({{"Password...:", Line("Password...:", "")}}), missing_password},
      {Profile({{"Password...:", Line("Password...:", empty_password)}}), missing_password},
      {Profile({{"Password...:", Line("Password...:", kStoredSecret.substr(1))}}),
       invalid_password},
      {Profile({{"Password...:", Line("Password...:", kStoredSecret + " ")}}), invalid_password},
      {Profile({{"Password...:", Line("Password...:", wrong)}}), wrong_password},
      // A one-character user is present, only too short.
      {Profile({{"User.......:", Line("User.......:", "X")}}), invalid_parameter},
      {Profile({{"Client.....:", Line("client.....:", "100")}}), invalid_parameter},
      {Profile({{"Client.....:", Line("Client.....:", "10")}}), invalid_parameter},
      // Too long for the field: refused, never cut into another destination.
      {Profile({{"Destination:", Line("Destination:", "PRD45678901X")}}), invalid_parameter},
      {Profile({{"Gwhost.....:", Line("Gwhost.....:", std::string(61, 'g'))}}), invalid_parameter},
      {Profile({{"Extcompany.:", Line("Extcompany.:", std::string(61, 'e'))}}), invalid_parameter},
      // The checks come in a fixed order.
      {Profile({{"User.......:", ""}, {"Password...:", ""}}), missing_user},
      {Profile({{"Password...:", ""}, {"Client.....:", ""}}), missing_password},
      // A faulty password stops the read at its line.
      {Line("Password...:", wrong) + "\n" + Profile({{"Password...:", ""}, {"User.......:", ""}}),
       wrong_password},
      {"", missing_user},
      {std::string("\0\xff\r\n\x1b[2J", 7), missing_user},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.contents).message(), c.message) << c.contents;
}

TEST_F(SystemProfileTest, AnInvalidParameterNamesTheFirstFailingKeyAndWhy) {
  struct Case {
    std::string contents;
    const char* cause;
  } cases[] = {
      {Profile({{"Extcompany.:", ""}}), "Extcompany.: missing"},
      {Profile({{"Client.....:", Line("client.....:", "100")}}), "Client.....: missing"},
      // What was read, for a value written a column early or late.
      {Profile({{"Client.....:", Line("Client.....:", "10")}}),
       "Client.....: shorter than 3 characters (\"10\" read from column 25; values start in "
       "column 25)"},
      {Profile({{"User.......:", Line("User.......:", "x")}}),
       "User.......: shorter than 2 characters (\"x\" read from column 25; values start in "
       "column 25)"},
      {Profile({{"Language...:", Line("Language...:", "")}}),
       "Language...: shorter than 1 character (\"\" read from column 25; values start in column "
       "25)"},
      {Profile({{"Destination:", "Destination:            DEM"}}),
       "Destination: shorter than 3 characters (\"EM\" read from column 25; values start in "
       "column 25)"},
      // The password's stored form is never shown.
      {Profile({{"Password...:",
                 Line("Password...:", ScramblePassword("p", 0, std::string(19, 'f')))}}),
       "Password...: shorter than 2 characters"},
      {Profile({{"Destination:", Line("Destination:", "PRD45678901X")}}),
       "Destination: longer than 11 characters"},
      {Profile({{"Gwhost.....:", Line("Gwhost.....:", std::string(61, 'g'))}}),
       "Gwhost.....: longer than 60 characters"},
      // The first in the keys' order counts.
      {Profile({{"Gwservice..:", ""}, {"Destination:", Line("Destination:", "PR")}}),
       "Destination: shorter than 3 characters (\"PR\" read from column 25; values start in "
       "column 25)"},
  };
  for (const Case& c : cases) {
    Status read = Read(c.contents);
    EXPECT_EQ(read.message(), "Error 1003: Invalid Parameter(s) at prd.P00 found...") << c.cause;
    EXPECT_EQ(read.cause(), c.cause);
  }
}

TEST_F(SystemProfileTest, AnInvalidStoredFormSaysWhatIsWrongButNeverShowsTheForm) {
  std::string bad_header = kStoredSecret;
  bad_header[2] = static_cast<char>(bad_header[2] ^ 0x40);  // no digit under its key
  const struct {
    std::string stored;
    const char* cause;
  } cases[] = {
      {kStoredSecret.substr(1), "the stored form has 23 characters, not 24"},
      {kStoredSecret + " ", "the stored form has 25 characters, not 24"},
      {bad_header, "character 3 of the stored form is outside the form's alphabet"},
  };
  for (const auto& c : cases) {
    Status read = Read(Profile({{"Password...:", Line("Password...:", c.stored)}}));
    EXPECT_EQ(read.message(), "Error 1004: Invalid Password in Profile prd.P00 found...");
    EXPECT_EQ(read.cause(), c.cause);
    EXPECT_EQ(read.cause().find(c.stored.substr(4, 8)), std::string::npos);
  }
}

TEST_F(SystemProfileTest, ValuesAreTakenFromColumn25Unchanged) {
  std::string contents = Profile({{"Client.....:", "Client.....:  any text   100"},
                                  {"User.......:", Line("User.......:", "rfcmon_ä")},
                                  {"Destination:", Line("Destination:", "TST")}},
                                 Line("Destination:", "PRD") + "\n");
  ASSERT_TRUE(Read(contents).ok());
  const ConnectionProfile& p = profile;
  EXPECT_EQ(p.external_company, "Tessarin AG");
  EXPECT_EQ(p.destination, "PRD");  // the last occurrence wins
  EXPECT_EQ(p.client, "100");
  EXPECT_EQ(p.user, "RFCMON_ä");  // ASCII upper case only
  EXPECT_EQ(p.password, "Secret12");
  EXPECT_EQ(p.language, "E");
  EXPECT_EQ(p.mode, "ASHOST");
  EXPECT_EQ(p.host_name, "sapprd01");
  EXPECT_EQ(p.display_host, "sapprd01");
  EXPECT_EQ(p.system_number, "00");
  EXPECT_EQ(p.gateway_host, "sapgw01");
  EXPECT_EQ(p.gateway_service, "sapgw00");

  ASSERT_TRUE(Read(Profile({{"Client.....:", Line("Client.....:", "100  ")}})).ok());
  EXPECT_EQ(profile.client, "100  ");
  // The longest values the fields take.
  ASSERT_TRUE(Read(Profile({{"Destination:", Line("Destination:", "PRD45678901")},
                            {"Gwhost.....:", Line("Gwhost.....:", std::string(60, 'g'))}}))
                  .ok());
  EXPECT_EQ(profile.destination, "PRD45678901");
  EXPECT_EQ(profile.gateway_host, std::string(60, 'g'));
}

TEST_F(SystemProfileTest, LineEndsDoNotChangeValues) {
  for (const char* eol : {"\n", "\r\n", "\r"}) {
    ASSERT_TRUE(Read(Profile({}, "", eol)).ok()) << eol;
    EXPECT_EQ(profile.client, "100") << eol;
    EXPECT_EQ(profile.password, "Secret12") << eol;
    EXPECT_EQ(profile.gateway_service, "sapgw00") << eol;
  }
}

// 500 lines, some longer than 300 characters, with a key where a reader of
// short lines would start a new one.
std::vector<std::string> LongProfileLines() {
  std::vector<std::string> lines = SplitLines(Profile());
  while (lines.size() < 500) {
    size_t n = lines.size();
    if (n % 7 == 0 || n % 11 == 0) {
      // The key starts at column 159 or 199.
      std::string line = "* note " + std::string(n % 7 == 0 ? 152 : 192, '-');
      line += Line("Destination:", "EVL") + std::string(200, ' ') + "end";
      lines.push_back(line);
    } else {
      lines.push_back("# comment " + std::to_string(n) + std::string(n % 50, '.'));
    }
  }
  return lines;
}

TEST_F(SystemProfileTest, TheRfcLibraryKeyIsOptionalAndNamesOneOfTwo) {
  ASSERT_TRUE(Read(Profile()).ok());
  EXPECT_EQ(profile.library, RfcLibraryChoice::kAutomatic);
  ASSERT_TRUE(Read(Profile({}, Line("RfcLibrary.:", "NETWEAVER") + "\n")).ok());
  EXPECT_EQ(profile.library, RfcLibraryChoice::kNetWeaver);
  // The later line wins, and an empty value is no choice.
  ASSERT_TRUE(Read(Profile({}, Line("RfcLibrary.:", "classic") + "\n" + Line("RfcLibrary.:", "") +
                                   "\n"))
                  .ok());
  EXPECT_EQ(profile.library, RfcLibraryChoice::kAutomatic);
  Status wrong = Read(Profile({}, Line("RfcLibrary.:", "nwrfc") + "\n"));
  EXPECT_EQ(wrong.message(), "Error 1003: Invalid Parameter(s) at prd.P00 found...");
  EXPECT_EQ(wrong.cause(), "RfcLibrary.: is neither classic nor netweaver");
  // A missing key of the eleven is named first.
  EXPECT_EQ(Read(Profile({{"Sysnr......:", ""}}, Line("RfcLibrary.:", "nwrfc") + "\n")).cause(),
            "Sysnr......: missing");
}

TEST_F(SystemProfileTest, AKeyInsideALongLineIsNoKey) {
  std::vector<std::string> lines = LongProfileLines();
  std::string contents;
  for (const std::string& line : lines) contents += line + "\r\n";
  ASSERT_GT(lines[14].size(), 300u);
  ASSERT_TRUE(Read(contents).ok());
  EXPECT_EQ(profile.destination, "PRD");

  platform.files["/p/long.P00"] = contents;
  std::string read;
  ASSERT_EQ(ReadProfileForSystem(platform, "/p/long.P00", &profile, &read),
            SystemProfileRead::kValid);
  EXPECT_EQ(read, contents);
  EXPECT_EQ(profile.destination, "PRD");
}

TEST_F(SystemProfileTest, MultiSystemReadStartsEachProfileEmpty) {
  platform.files["/p/a.P00"] = Profile();
  platform.files["/p/b.P00"] =
      Profile({{"User.......:", ""}, {"Password...:", ""}, {"Destination:", ""}});
  std::string contents;
  ASSERT_EQ(ReadProfileForSystem(platform, "/p/a.P00", &profile, &contents),
            SystemProfileRead::kValid);
  EXPECT_EQ(profile.user, "RFCMON");
  EXPECT_EQ(ReadProfileForSystem(platform, "/p/b.P00", &profile, &contents),
            SystemProfileRead::kInvalid);
  EXPECT_EQ(profile.user, "");
  EXPECT_EQ(profile.password, "");
  EXPECT_EQ(profile.destination, "");
  EXPECT_EQ(contents, platform.files["/p/b.P00"]);

  EXPECT_EQ(ReadProfileForSystem(platform, "/p/none.P00", &profile, &contents),
            SystemProfileRead::kMissing);
  EXPECT_EQ(profile.client, "");
  EXPECT_EQ(contents, "");
}

TEST_F(SystemProfileTest, MultiSystemReadMarksEveryFaultInvalid) {
  const std::string faulty[] = {
      Profile({{"Password...:", Line("Password...:", kStoredSecret.substr(2))}}),
      Profile({{"Password...:", Line("Password...:", "x" + kStoredSecret.substr(1))}}),
      Profile({{"User.......:", Line("User.......:", "X")}}),
      Profile({{"Client.....:", Line("Client.....:", "100456789012")}}),
      Profile({{"Language...:", ""}}),
      // A later good password does not heal an earlier fault.
      Line("Password...:", "bad") + "\n" + Profile(),
  };
  std::string contents;
  for (const std::string& text : faulty) {
    platform.files["/p/x.P00"] = text;
    EXPECT_EQ(ReadProfileForSystem(platform, "/p/x.P00", &profile, &contents),
              SystemProfileRead::kInvalid)
        << text;
  }
}

// With PRTG's credentials the User and Password lines are not used at all,
// not even to be refused.
TEST_F(SystemProfileTest, PrtgCredentialsTakeTheUserAndPasswordFromTheirVariables) {
  PrtgCredentials prtg;
  prtg.Set("prtg_windowsuser", "rfcwin");
  prtg.Set("prtg_windowspassword", "Win=Pass 1");
  prtg.Set("prtg_linuxuser", "rfclin");
  prtg.Set("prtg_linuxpassword", "LinPass2");
  const std::string text =
      Profile({{"User.......:", ""}, {"Password...:", Line("Password...:", "damaged")}},
              Line("Credentials:", "Prtg-Windows") + "\n");
  ASSERT_TRUE(ReadSystemProfile(text, "prd.P00", &profile, prtg).ok());
  EXPECT_EQ(profile.user, "RFCWIN");
  EXPECT_EQ(profile.password, "Win=Pass 1");
  EXPECT_EQ(profile.stored_password, "");
  EXPECT_EQ(profile.user_variable, "prtg_windowsuser");
  EXPECT_EQ(profile.password_variable, "prtg_windowspassword");

  ASSERT_TRUE(
      ReadSystemProfile(Profile({}, Line("Credentials:", "prtg-linux")), "prd.P00", &profile, prtg)
          .ok());
  EXPECT_EQ(profile.user, "RFCLIN");
  EXPECT_EQ(profile.password, "LinPass2");

  // Empty or absent: the profile's own, as before.
  for (const std::string& extra : {std::string(), std::string("Credentials:\n")}) {
    ASSERT_TRUE(ReadSystemProfile(Profile({}, extra), "prd.P00", &profile, prtg).ok());
    EXPECT_EQ(profile.user, "RFCMON");
    EXPECT_EQ(profile.password, "Secret12");
    EXPECT_EQ(profile.password_variable, "");
  }
}

TEST_F(SystemProfileTest, PrtgCredentialFaultsNameTheVariable) {
  const std::string windows = Profile({}, Line("Credentials:", "prtg-windows"));
  const auto read = [&](const std::string& user, const std::string& password,
                        const std::string& text) {
    PrtgCredentials prtg;
    prtg.Set("prtg_windowsuser", user);
    prtg.Set("prtg_windowspassword", password);
    Status status = ReadSystemProfile(text, "PRD.P00", &profile, prtg);
    return status.cause().empty() ? status.message() : status.message() + " - " + status.cause();
  };
  EXPECT_EQ(read("rfcmon", "Secret12", Profile({}, Line("Credentials:", "prtg-windows "))),
            "Error 1003: Invalid Parameter(s) at PRD.P00 found... - Credentials: is neither "
            "prtg-windows nor prtg-linux");
  const std::string hint =
      " is not set - in the sensor's settings set Environment to \"Set placeholders as "
      "environment values\" and enter the device's credentials !";
  EXPECT_EQ(read("", "", windows),
            "Error 1047: Credentials of PRD.P00 come from PRTG, but prtg_windowsuser" + hint);
  EXPECT_EQ(read("rfcmon", "", windows),
            "Error 1047: Credentials of PRD.P00 come from PRTG, but prtg_windowspassword" + hint);
  const std::string invalid = "Error 1003: Invalid Parameter(s) at PRD.P00 found... - ";
  EXPECT_EQ(read("r", "Secret12", windows),
            invalid + "prtg_windowsuser: shorter than 2 characters");
  EXPECT_EQ(read("rfcmon", std::string(32, 'p'), windows),
            invalid + "prtg_windowspassword: longer than 31 characters");
  EXPECT_EQ(read("rfcmon", "Secret\t12", windows),
            invalid +
                "prtg_windowspassword: holds a character outside printable ASCII (codes "
                "32 to 126)");
  // Other keys keep their own names, in their order.
  EXPECT_EQ(read("rfcmon", "Secret12",
                 Profile({{"Client.....:", Line("Client.....:", "1")}},
                         Line("Credentials:", "prtg-windows"))),
            invalid +
                "Client.....: shorter than 3 characters (\"1\" read from column 25; values "
                "start in column 25)");
}

TEST_F(SystemProfileTest, CredentialsAreReadFromTheEnvironmentOnce) {
  platform.environment = {{"prtg_linuxuser", "rfclin"},
                          {"prtg_linuxpassword", "LinPass2"},
                          {"prtg_windowsdomain", "CORP"}};
  PrtgCredentials prtg = PrtgCredentials::Read(platform);
  EXPECT_EQ(platform.environment_reads.size(), 4u);
  EXPECT_EQ(prtg.Value("prtg_linuxpassword"), "LinPass2");
  EXPECT_EQ(prtg.Value("prtg_windowsdomain"), "");

  // The multi-system read tells a missing variable from a faulty profile.
  platform.files["/p/a.P00"] = Profile({}, Line("Credentials:", "prtg-windows"));
  platform.files["/p/b.P00"] = Profile({}, Line("Credentials:", "prtg-linux"));
  std::string contents, missing;
  EXPECT_EQ(ReadProfileForSystem(platform, "/p/a.P00", &profile, &contents, prtg, nullptr, &missing),
            SystemProfileRead::kNoCredentials);
  EXPECT_EQ(missing, "prtg_windowsuser");
  EXPECT_EQ(ReadProfileForSystem(platform, "/p/b.P00", &profile, &contents, prtg, nullptr, &missing),
            SystemProfileRead::kValid);
  EXPECT_EQ(profile.password, "LinPass2");
}

TEST_F(SystemProfileTest, OnlyAKeyShapeNoneKnowsIsAnUnknownKey) {
  using Keys = std::vector<std::string>;
  EXPECT_EQ(UnknownKeys(Profile()), Keys{});
  EXPECT_EQ(UnknownKeys(Profile({}, Line("Credentials:", "prtg-linux") + "\n" +
                                        Line("RfcLibrary.:", "classic") + "\n")),
            Keys{});
  // Likely typos, each once, in the order met, whatever the line end.
  EXPECT_EQ(UnknownKeys(Profile({{"Destination:", Line("Destinaton.:", "PRD")}},
                                Line("Hostnam....:", "x") + "\r\n" + Line("Destinaton.:", "P") +
                                    "\r\n" + "Gwservice..:")),
            (Keys{"Destinaton.:", "Hostnam....:"}));
  EXPECT_EQ(UnknownKeys("RFCLibrary.:" + std::string(13, ' ') + "classic"), Keys{"RFCLibrary.:"});
  // Not a key's shape: comments, history and guard lines, short lines,
  // digits, blanks, a colon elsewhere, binary bytes.
  const std::string not_keys[] = {
      "* Destinatio: a comment",
      "# Alg Date=20261207 09:00:00 Writes=1",
      "# Alb Date=20261208 10:15:00 Logon=00ff User is locked",
      "Client.....",
      "Cl:",
      "",
      "Sysnr2.....:            02",
      "Sys nr.....:            02",
      ".Destinatio:",
      "D..........:            one letter",
      "Destination.:           PRD",
      "Destinat.on:            PRD",
      "\xC4nderung...:            x",
      std::string("Dest\0nation:", 12),
      std::string("\xff\xfe\x00\x01garbage\x1b[2J", 15),
  };
  for (const std::string& line : not_keys)
    EXPECT_EQ(UnknownKeys(line + "\n"), Keys{}) << line;
}

}  // namespace
}  // namespace quillmeter
