// Bad input of every kind, given to the built sensor: whatever it gets, it
// answers with a PRTG document (with the console trace around it), exits
// with 0, 1 or 2, and never rewrites a profile it could not read whole.
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <random>

#include "prtg_answer.h"
#include "sensor_fixture.h"

namespace quillmeter {
namespace {

namespace fs = std::filesystem;

struct BadInput {
  std::string name;
  std::map<std::string, std::string> files;  // over a valid PRD.P00 and PRD.simrfc
  std::vector<std::string> args;         // none: PRD @
  std::vector<std::string> directories;  // made in place of files
  std::vector<std::string> unreadable;   // mode 000, the sensor runs as nobody
  int exit_code = 0;
  std::string answer;  // a text the answer holds
};

void PrintTo(const BadInput& c, std::ostream* os) { *os << c.name; }

std::string Garbage(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

// A valid profile of PRD whose lines end as `line_ends` says in turn.
std::string Profile(const std::vector<std::string>& line_ends = {"\n"},
                    const std::string& extra_lines = "") {
  std::string text;
  size_t i = 0;
  for (char c : ProfileText(ProfileFields{})) {
    if (c != '\n') {
      text += c;
      continue;
    }
    text += line_ends[i++ % line_ends.size()];
  }
  return text + extra_lines;
}

// The profile with the value of `key` replaced by `value`.
std::string ProfileWith(const std::string& key, const std::string& value) {
  std::string text = Profile();
  size_t at = text.find(key);
  size_t end = text.find('\n', at);
  return text.replace(at + 25, end - at - 25, value);
}

const std::string kFailingQuery = "fail call ADA_ST04\ntrace off\n";
const std::string kLogging = "Logging: LogWrites=0";

std::vector<BadInput> Cases() {
  const std::string mb(1 << 20, 'x');
  const std::string system = "client 100\nuser monitor\npassword Secret12\n";
  return {
      {"EmptyProfile", {{"PRD.P00", ""}}, {}, {}, {}, 2, "Error 1006: Username"},
      {"GarbageProfile", {{"PRD.P00", Garbage(8192, 1)}}, {}, {}, {}, 2, "Error 100"},
      {"GarbageAfterTheKeys", {{"PRD.P00", Profile() + Garbage(8192, 2)}}, {}, {}, {}, 0,
       kLogging},
      {"NulInsideLines",
       {{"PRD.P00", ProfileWith("Extcompany", std::string("AC\0ME", 5)) +
                        std::string("# note\0 with NUL\n", 17)}},
       {}, {}, {}, 0, kLogging},
      {"NulInsideStoredPassword",
       {{"PRD.P00", ProfileWith("Password...:", std::string(12, '\0') + "012345678901")}},
       {}, {}, {}, 2, "Error 1004: Invalid Password"},
      {"OneMegabyteLine", {{"PRD.P00", Profile({"\n"}, "# " + mb + "\n")}}, {}, {}, {}, 0,
       kLogging},
      {"OneMegabyteProfileWithoutLineEnd", {{"PRD.P00", mb}}, {}, {}, {}, 2,
       "Error 1006: Username"},
      {"OneMegabyteValue", {{"PRD.P00", ProfileWith("Destination:", mb)}}, {}, {}, {}, 2,
       "Error 1003: Invalid Parameter(s)"},
      {"MixedLineEnds", {{"PRD.P00", Profile({"\n", "\r\n", "\r"}, "# end\r\n\n\r")}}, {}, {}, {},
       0, kLogging},
      {"NonAsciiText",
       {{"PRD.P00", ProfileWith("Extcompany.:", "M\xfcller \xc3\xa9t\xc3\xa9 \xe2\x82\xac") +
                        "# \xff\xfe\xc0\xaf\n"}},
       {}, {}, {}, 0, kLogging},
      {"NonAsciiDestination",
       {{"PRD.P00", ProfileWith("Destination:", "PR\xc4<&")}}, {}, {}, {}, 2,
       "Error 1011: RFC-Open for PR?&lt;&amp; failed !"},
      {"ProfileIsADirectory", {}, {}, {"PRD.P00"}, {}, 2, "Error 1002: Profile PRD.P00"},
      {"UnreadableProfile", {}, {}, {}, {"PRD.P00"}, 2, "Error 1002: Profile PRD.P00"},
      {"LongProfileName", {}, {std::string(10000, 'p'), "@"}, {}, {}, 2,
       "Error 1008: Profile-Name too long !"},
      {"LongParameterWord", {}, {"PRD", "@" + std::string(9999, 'w')}, {}, {}, 2,
       "Error 1009: Parameters too long !"},
      {"LongItem", {}, {"PRD", "@", "ITEM=" + std::string(9995, 'i')}, {}, {}, 2,
       "Error 1009: Parameters too long !"},
      {"NonAsciiArguments", {}, {"PR\xc3\xa9<\n", "@\xff"}, {}, {}, 2,
       "Error 1002: Profile PR\xc3\xa9&lt;?.P00"},
      {"UnreadableSapRfc", {{"SapRfc.PRD", "DEST=PRD\n"}}, {}, {}, {"SapRfc.PRD"}, 0,
       kLogging},
      {"GarbageSapRfc", {{"SapRfc.PRD", Garbage(4096, 3) + mb}}, {}, {}, {}, 0, kLogging},
      {"SapRfcIsADirectory", {}, {}, {"SapRfc.PRD"}, {}, 0, kLogging},
      {"MissingTraceFile", {{"PRD.simrfc", system + kFailingQuery}}, {}, {}, {}, 2,
       "Error 1014: RFC-Failure raised ! - Look for Trace-File"},
      {"UnreadableTraceFile", {{"PRD.simrfc", system + kFailingQuery}, {"Dev_Rfc.Trc", ""}},
       {}, {}, {"Dev_Rfc.Trc"}, 2, "Error 1014: RFC-Failure raised ! - Look for Trace-File"},
      {"TraceFileIsADirectory", {{"PRD.simrfc", system + kFailingQuery}}, {}, {"Dev_Rfc.Trc"},
       {}, 2, "Error 1014: RFC-Failure raised ! - Look for Trace-File"},
      {"GarbageTraceFile",
       {{"PRD.simrfc", system + kFailingQuery}, {"Dev_Rfc.Trc", Garbage(8192, 4)}}, {}, {}, {},
       2, "Error 1014: RFC-Failure raised ! - "},
      {"OneMegabyteTraceLine",
       {{"PRD.simrfc", system + kFailingQuery}, {"Dev_Rfc.Trc", "ERROR       " + mb + "\r\n"}},
       {}, {}, {}, 2, "Error 1014: RFC-Failure raised ! - " + std::string(87, 'x') + "<"},
      {"TraceFileDirectoryAfterSuccess", {}, {}, {"Dev_Rfc.Trc"}, {}, 0, kLogging},
  };
}

// Empty when `out` is the answer of a run ending with `exit_code`: the RFC
// failure report for 1, otherwise one document with at most console trace
// lines ("* ...") and blank lines around it.
std::string AnswerFault(const std::string& out, int exit_code) {
  if (exit_code == 1)
    return out.find("RFC error\n") != std::string::npos ? "" : "no RFC failure report";
  std::string_view document = DocumentPart(out);
  if (document.empty()) return "no document";
  std::string fault = DocumentFault(document);
  if (!fault.empty()) return fault;
  if ((document.rfind("<Prtg>\n<Error>1</Error>", 0) == 0) != (exit_code == 2))
    return "the document does not match the exit code";
  size_t start = static_cast<size_t>(document.data() - out.data());
  std::string rest = out.substr(0, start) + "\n" + out.substr(start + document.size());
  for (size_t at = 0; at < rest.size();) {
    size_t end = rest.find('\n', at);
    if (end == std::string::npos) end = rest.size();
    if (end > at && rest.compare(at, 2, "* ") != 0) return "text outside the document";
    at = end + 1;
  }
  return "";
}

class BadInputE2eTest : public SensorTest, public ::testing::WithParamInterface<BadInput> {};

TEST_P(BadInputE2eTest, AnswersPrtgAndNeverRewritesWhatItCouldNotRead) {
  const BadInput& c = GetParam();
  box.WriteFile("PRD.P00", Profile());
  WriteSystem();
  for (const auto& [name, contents] : c.files) box.WriteFile(name, contents);
  for (const std::string& name : c.directories) {
    fs::remove(box.Path(name));
    fs::create_directories(box.Path(name));
  }
  const std::string profile_before = box.ReadFile("PRD.P00");

  RunOptions options;
  if (!c.unreadable.empty()) {
    box.GiveToChildUser();
    for (const std::string& name : c.unreadable) chmod(box.Path(name).c_str(), 0);
    options.unprivileged = true;
  }
  SensorResult r = RunSensor(c.args.empty() ? std::vector<std::string>{"PRD", "@"} : c.args,
                             options);
  for (const std::string& name : c.unreadable) chmod(box.Path(name).c_str(), 0644);

  EXPECT_EQ(r.exit_code, c.exit_code) << r.out << r.err;
  EXPECT_EQ(AnswerFault(r.out, r.exit_code), "") << Printable(r.out, 2000);
  EXPECT_NE(r.out.find(c.answer), std::string::npos) << Printable(r.out, 2000);
  const std::string profile_after = box.ReadFile("PRD.P00");
  if (r.exit_code != 0)
    EXPECT_EQ(profile_after, profile_before) << "a failed run wrote the profile";
  else
    EXPECT_EQ(RewriteFault(profile_before, profile_after), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, BadInputE2eTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace quillmeter
