#include "tools/password_tool.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "base/text.h"
#include "platform/fake_platform.h"
#include "profiles/password.h"
#include "profiles/system_profile.h"

namespace quillmeter {
namespace {

bool IsCleanForm(const std::string& form) {
  for (char c : form)
    if (c < ' ' || c > '~') return false;
  return form.size() == 24 && form.back() != ' ';
}

// A terminal that answers its prompts from a list and records them.
struct FakeTerminal : Terminal {
  bool IsInteractive() override { return interactive; }
  Status ReadHidden(const std::string& prompt, std::string* line) override {
    prompts.push_back(prompt);
    if (answers.empty()) return Status::Error("no password was typed", "end of input");
    *line = answers.front();
    answers.erase(answers.begin());
    return Status::Ok();
  }
  bool interactive = false;
  std::vector<std::string> answers;
  std::vector<std::string> prompts;
};

class PasswordToolTest : public ::testing::Test {
 protected:
  FakePlatform platform;
  FakeTerminal terminal;
  std::ostringstream out, err;

  int Run(const std::string& input, std::vector<std::string> args = {}) {
    out.str("");
    err.str("");
    std::istringstream in(input);
    return RunPasswordTool(args, in, out, err, platform, terminal);
  }

  // The stored form printed by a run on `input`, without its line end.
  std::string Form(const std::string& input) {
    EXPECT_EQ(Run(input), 0) << err.str();
    std::string printed = out.str();
    EXPECT_EQ(printed.back(), '\n');
    return printed.substr(0, printed.size() - 1);
  }

  // The password that the sensor's profile reader finds in `contents`.
  std::string ReadBack(const std::string& contents) {
    ConnectionProfile profile;
    Status read = ReadSystemProfile(contents, "prd.P00", &profile);
    EXPECT_TRUE(read.ok()) << read.message();
    return profile.password;
  }
};

const char kProfileHead[] =
    "Extcompany.:             Tessarin AG\n"
    "Destination:             PRD\n"
    "Client.....:             100\n"
    "User.......:             RFCMON\n";
const char kProfileTail[] =
    "Language...:             E\n"
    "Mode.......:             ASHOST\n"
    "Hostname...:             sapprd01\n"
    "Sysnr......:             00\n"
    "Gwhost.....:             sapgw01\n"
    "Gwservice..:             sapgw00\n";

TEST_F(PasswordToolTest, PrintedFormReadsBackAsThePassword) {
  for (const std::string input : {"Secret12\n", "Secret12\r\n", "Secret12"}) {
    std::string form = Form(input);
    EXPECT_TRUE(IsCleanForm(form)) << form;
    EXPECT_EQ(ReadBack(std::string(kProfileHead) + "Password...:             " + form + "\n" +
                       kProfileTail),
              "Secret12")
        << input;
    EXPECT_EQ(err.str(), "");
  }
}

TEST_F(PasswordToolTest, HundredRunsGiveManyDifferentValidForms) {
  std::set<std::string> forms;
  for (int i = 0; i < 100; ++i) {
    std::string form = Form("Secret12\n");
    ASSERT_TRUE(IsCleanForm(form)) << form;
    EXPECT_EQ(UnscramblePassword(form).password, "Secret12") << form;
    forms.insert(form);
  }
  EXPECT_GT(forms.size(), 90u);
}

TEST_F(PasswordToolTest, EveryStorablePasswordGetsACleanForm) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> printable(' ', '~'), length(2, 20);
  for (int run = 0; run < 3000; ++run) {
    std::string password;
    for (int i = length(random); i > 0; --i) password += static_cast<char>(printable(random));
    std::string error;
    std::string form = MakeStoredPassword(password, random, &error);
    ASSERT_TRUE(IsCleanForm(form)) << password << ": " << error;
    EXPECT_EQ(UnscramblePassword(form).password, password);
  }
}

TEST_F(PasswordToolTest, UnstorablePasswordsAreRefusedWithoutEcho) {
  // Every offset XORs one of these characters into DEL.
  const std::string no_clean_form(20, static_cast<char>(0x7f ^ kPasswordKey[9]));
  const std::string cases[] = {"",
                               "\n",
                               "\r\n",
                               "x\n",
                               std::string(21, 'p') + "\n",
                               std::string(5000, 'p'),
                               "Qzvb\tword\n",
                               "Qzv\xc3\xa4ord\n",
                               "Qzvb\x7fword\n",
                               std::string("Qzvb\0word\n", 10),
                               "Qzvb\rword\n",
                               no_clean_form + "\n"};
  for (const std::string& input : cases) {
    EXPECT_EQ(Run(input), 1) << input;
    EXPECT_EQ(out.str(), "") << input;
    EXPECT_NE(err.str().find("quillmeter-password: "), std::string::npos) << input;
    if (input.size() > 3) {
      EXPECT_EQ(err.str().find(input.substr(0, 4)), std::string::npos) << err.str();
    }
  }
  Run(std::string(21, 'p'));
  EXPECT_NE(err.str().find("21 characters"), std::string::npos) << err.str();
}

TEST_F(PasswordToolTest, OnATerminalThePasswordIsAskedTwiceAndMustMatch) {
  terminal.interactive = true;
  terminal.answers = {"Secret12", "Secret12"};
  ASSERT_EQ(Run("ignored\n"), 0) << err.str();
  EXPECT_EQ(terminal.prompts, (std::vector<std::string>{"Password: ", "Password again: "}));
  EXPECT_EQ(UnscramblePassword(out.str().substr(0, 24)).password, "Secret12");

  platform.files["/p/prd.P00"] = std::string(kProfileHead) + kProfileTail;
  const std::string before = platform.files["/p/prd.P00"];
  for (std::vector<std::string> answers :
       {std::vector<std::string>{"Secret12", "Secret13"}, std::vector<std::string>{"Secret12"},
        std::vector<std::string>{}}) {
    terminal.answers = answers;
    EXPECT_EQ(Run("", {"/p/prd.P00"}), 1);
    EXPECT_NE(err.str().find("nothing was written"), std::string::npos) << err.str();
    EXPECT_EQ(platform.files["/p/prd.P00"], before);
    EXPECT_TRUE(platform.replaces.empty());
  }
}

TEST_F(PasswordToolTest, APasswordWithABlankIsStoredWithAWarning) {
  for (bool interactive : {false, true}) {
    terminal.interactive = interactive;
    terminal.answers = {"Sec ret12", "Sec ret12"};
    ASSERT_EQ(Run("Sec ret12\n"), 0) << err.str();
    EXPECT_NE(err.str().find("warning: the password holds a blank"), std::string::npos);
    EXPECT_EQ(UnscramblePassword(out.str().substr(0, 24)).password, "Sec ret12");
  }
  terminal.interactive = false;
  ASSERT_EQ(Run("Secret12\n"), 0);
  EXPECT_EQ(err.str(), "") << "a pipe stays silent";
  EXPECT_TRUE(terminal.prompts.size() == 2);
}

TEST_F(PasswordToolTest, ProfileRewriteKeepsEveryOtherByte) {
  const std::string long_line = "* " + std::string(400, '=') + "Password...:  x";
  for (const std::string eol : {"\n", "\r\n"}) {
    std::string before = "* PRD profile" + eol + long_line + eol + "Extcompany.:   x     " + eol +
                         "Password...:  old form   " + std::string(24, 'O') + eol +
                         "# Alg 20261207 10:11:12 1 2 3 4" + eol + "Password...:" + eol +
                         "password...:             keep" + eol + "\ttab\x01" + eol + "last";
    platform.files["/p/prd.P00"] = before;
    ASSERT_EQ(Run("Secret12\n", {"/p/prd.P00"}), 0) << err.str();
    EXPECT_EQ(platform.replaces, std::vector<std::string>{"/p/prd.P00"});
    platform.replaces.clear();
    const std::string& after = platform.files["/p/prd.P00"];
    std::vector<std::string> old_lines = SplitLines(before), new_lines = SplitLines(after);
    ASSERT_EQ(new_lines.size(), old_lines.size());
    std::string form = new_lines[3].substr(25);
    EXPECT_EQ(new_lines[3], "Password...:  old form   " + form);
    EXPECT_EQ(new_lines[5], "Password...:             " + form);
    std::string expected = before;
    expected.replace(expected.find(std::string(24, 'O')), 24, form);
    size_t short_line = expected.find("Password...:" + eol);
    expected.replace(short_line, 12, "Password...:             " + form);
    EXPECT_EQ(after, expected);
    EXPECT_EQ(UnscramblePassword(form).password, "Secret12");
    EXPECT_NE(out.str().find("/p/prd.P00"), std::string::npos);
    EXPECT_EQ(out.str().find(form), std::string::npos);
  }
}

TEST_F(PasswordToolTest, ANewPasswordLiftsTheLogonGuard) {
  const std::string history = "# Alg Date=20261207 10:11:12 Writes=1\n";
  platform.files["/p/prd.P00"] =
      std::string(kProfileHead) + "Password...:             " + std::string(24, 'O') + "\n" +
      kProfileTail + "# Alb Date=20261208 10:15:00 Logon=0123456789abcdef User is locked\n" +
      history;
  ASSERT_EQ(Run("Secret12\n", {"/p/prd.P00"}), 0) << err.str();
  const std::string& after = platform.files["/p/prd.P00"];
  EXPECT_EQ(after.find("# Alb "), std::string::npos) << after;
  EXPECT_NE(after.find(std::string(kProfileTail) + history), std::string::npos) << after;
  EXPECT_EQ(ReadBack(after), "Secret12");
}

TEST_F(PasswordToolTest, RetryRemovesTheGuardLineAloneWithoutAPassword) {
  const std::string profile = std::string(kProfileHead) +
                              "Password...:             " + std::string(24, 'O') + "\r\n" +
                              kProfileTail;
  const std::string history = "# Alg Date=20261207 10:11:12 Writes=1\n";
  platform.files["/p/prd.P00"] =
      profile + "# Alb Date=20261208 10:15:00 Logon=0123456789abcdef User is locked\n" + history;
  ASSERT_EQ(Run("", {"--retry", "/p/prd.P00"}), 0) << err.str();
  EXPECT_EQ(platform.files["/p/prd.P00"], profile + history);
  EXPECT_EQ(out.str(), "Logon guard line removed from /p/prd.P00: the next scan logs on again\n");
  EXPECT_TRUE(terminal.prompts.empty());
  EXPECT_EQ(platform.replaces.size(), 1u);

  ASSERT_EQ(Run("", {"--retry", "/p/prd.P00"}), 0);
  EXPECT_EQ(out.str(), "/p/prd.P00 holds no logon guard line; it is unchanged\n");
  EXPECT_EQ(platform.replaces.size(), 1u) << "nothing to write";

  EXPECT_EQ(Run("", {"--retry", "/p/none.P00"}), 1);
  EXPECT_NE(err.str().find("cannot read the profile"), std::string::npos);
  platform.files["/p/prd.P00"] += "# Alb Date=20261208 10:15:00 Logon=0123456789abcdef x\n";
  const std::string guarded = platform.files["/p/prd.P00"];
  platform.fail_next_replace = true;
  EXPECT_EQ(Run("", {"--retry", "/p/prd.P00"}), 1);
  EXPECT_NE(err.str().find("it is unchanged"), std::string::npos);
  EXPECT_EQ(platform.files["/p/prd.P00"], guarded);
  EXPECT_EQ(Run("", {"--retry"}), 2);
  EXPECT_EQ(Run("", {"--retry", "a.P00", "b.P00"}), 2);
}

TEST_F(PasswordToolTest, MissingPasswordLineIsAddedInTheFileStyle) {
  const struct {
    std::string before;
    std::string eol;
  } cases[] = {{std::string(kProfileHead) + kProfileTail, "\n"},
               {"Destination:             PRD\r\nClient.....:             100", "\r\n"},
               {"Destination:             PRD\r", "\r"},
               {"", "\n"}};
  for (const auto& c : cases) {
    platform.files["/p/prd.P00"] = c.before;
    ASSERT_EQ(Run("Secret12\n", {"/p/prd.P00"}), 0) << err.str();
    const std::string& after = platform.files["/p/prd.P00"];
    std::string head = c.before;
    if (!head.empty() && !head.ends_with(c.eol)) head += c.eol;
    ASSERT_TRUE(after.starts_with(head + "Password...:             ")) << c.before;
    EXPECT_TRUE(after.ends_with(c.eol)) << c.before;
    EXPECT_EQ(after.size(), head.size() + 25 + 24 + c.eol.size()) << c.before;
  }
  platform.files["/p/prd.P00"] = std::string(kProfileHead) + kProfileTail;
  ASSERT_EQ(Run("Secret12\n", {"/p/prd.P00"}), 0);
  EXPECT_EQ(ReadBack(platform.files["/p/prd.P00"]), "Secret12");
}

TEST_F(PasswordToolTest, ProfileIsLeftAloneWhenItCannotBeRewritten) {
  EXPECT_EQ(Run("Secret12\n", {"/p/none.P00"}), 1);
  EXPECT_NE(err.str().find("/p/none.P00"), std::string::npos);
  EXPECT_TRUE(platform.replaces.empty());

  platform.files["/p/prd.P00"] = "Password...:             old\n";
  platform.fail_next_replace = true;
  EXPECT_EQ(Run("Secret12\n", {"/p/prd.P00"}), 1);
  EXPECT_NE(err.str().find("unchanged"), std::string::npos);
  EXPECT_EQ(platform.files["/p/prd.P00"], "Password...:             old\n");

  EXPECT_EQ(Run("x\n", {"/p/prd.P00"}), 1);
  EXPECT_EQ(platform.replaces.size(), 1u);
}

TEST_F(PasswordToolTest, HelpExplainsBothUsesAndMisuseIsRefused) {
  EXPECT_EQ(Run("", {"--help"}), 0);
  EXPECT_NE(out.str().find("quillmeter-password PROFILE"), std::string::npos);
  EXPECT_NE(out.str().find("quillmeter-password --retry PROFILE"), std::string::npos);
  EXPECT_NE(out.str().find("standard input"), std::string::npos);
  EXPECT_EQ(Run("Secret12\n", {"a.P00", "b.P00"}), 2);
  EXPECT_EQ(Run("Secret12\n", {"--password=Secret12"}), 2);
  EXPECT_EQ(out.str(), "");
  EXPECT_TRUE(platform.replaces.empty());
}

}  // namespace
}  // namespace quillmeter
