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
using namespace std::string_literals;

// What a case puts in the sandbox, over a valid PRD.P00 and PRD.simrfc.
struct Inputs {
  std::map<std::string, std::string> files = {};
  std::vector<std::string> args = {};         // none: PRD @
  std::vector<std::string> directories = {};  // made in place of files
  std::vector<std::string> unreadable = {};   // mode 000, the sensor runs as nobody
  size_t padding = 0;                         // bytes appended to PRD.P00
};

struct BadInput {
  std::string name;
  int exit_code;
  std::string answer;  // a text the answer holds
  Inputs inputs;
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

// The file as it stands: a rewrite renames a new file into its place.
std::string FileStamp(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return "missing";
  return std::to_string(st.st_ino) + " " + std::to_string(st.st_size) + " " +
         std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
}

const std::string kListing = "SAP Tessarin.Gbl";
const std::string kAllocation = "# GSNX: AB         Item=LogWrites,Sensor=\"SAP Quillmeter\"\n";
const std::vector<std::string> kGlobal = {"global", "ab", "@"};
const std::string kFailingQuery = "fail call ADA_ST04\ntrace off\n";
const std::string kLogging = "Logging: LogWrites=0";

// clang-format off
std::vector<BadInput> Cases() {
  const std::string mb(1 << 20, 'x');
  const std::string failing = "client 100\nuser monitor\npassword Secret12\n" + kFailingQuery;
  const std::vector<std::string> item = {"x", "ITEM=LogWrites", "@"};
  return {
      {"EmptyProfile", 2, "Error 1006: Username", {.files = {{"PRD.P00", ""}}}},
      {"GarbageProfile", 2, "Error 100", {.files = {{"PRD.P00", Garbage(8192, 1)}}}},
      {"GarbageAfterTheKeys", 0, kLogging,
       {.files = {{"PRD.P00", Profile() + Garbage(8192, 2)}}}},
      {"NulInsideLines", 0, kLogging,
       {.files = {{"PRD.P00", ProfileWith("Extcompany", "AC\0ME"s) + "# note\0 NUL\n"s}}}},
      {"NulInsideStoredPassword", 2, "Error 1004: Invalid Password",
       {.files = {{"PRD.P00", ProfileWith("Password...:", std::string(12, '\0') + "0123")}}}},
      {"OneMegabyteLine", 0, kLogging, {.files = {{"PRD.P00", Profile({"\n"}, mb + "\n")}}}},
      {"OneMegabyteWithoutLineEnd", 2, "Error 1006: Username", {.files = {{"PRD.P00", mb}}}},
      {"ProfileBeyondTheReadLimit", 2, "Error 1002: Profile PRD.P00", {.padding = (64 << 20) + 1}},
      {"OneMegabyteValue", 2, "Error 1003: Invalid Parameter(s)",
       {.files = {{"PRD.P00", ProfileWith("Destination:", mb)}}}},
      {"MixedLineEnds", 0, kLogging,
       {.files = {{"PRD.P00", Profile({"\n", "\r\n", "\r"}, "# end\r\n\n\r")}}}},
      {"NonAsciiText", 0, kLogging,
       {.files = {{"PRD.P00", ProfileWith("Extcompany.:", "M\xfcller \xc3\xa9t\xe2\x82\xac") +
                                  "# \xff\xfe\xc0\xaf\n"}}}},
      {"NonAsciiDestination", 2, "Error 1011: RFC-Open for PR?&lt;&amp; failed !",
       {.files = {{"PRD.P00", ProfileWith("Destination:", "PR\xc4<&")}}}},
      {"ProfileIsADirectory", 2, "Error 1002: Profile PRD.P00", {.directories = {"PRD.P00"}}},
      {"UnreadableProfile", 2, "Error 1002: Profile PRD.P00", {.unreadable = {"PRD.P00"}}},
      {"LongProfileName", 2, "Error 1008: Profile-Name too long !",
       {.args = {std::string(10000, 'p'), "@"}}},
      {"LongParameterWord", 2, "Error 1009: Parameters too long !",
       {.args = {"PRD", "@" + std::string(9999, 'w')}}},
      {"LongItem", 2, "Error 1009: Parameters too long !",
       {.args = {"PRD", "@", "ITEM=" + std::string(9995, 'i')}}},
      {"NonAsciiArguments", 2, "Error 1002: Profile PR\xc3\xa9&lt;?.P00",
       {.args = {"PR\xc3\xa9<\n", "@\xff"}}},
      {"UnreadableSapRfc", 0, kLogging,
       {.files = {{"SapRfc.PRD", "DEST=PRD\n"}}, .unreadable = {"SapRfc.PRD"}}},
      {"GarbageSapRfc", 0, kLogging, {.files = {{"SapRfc.PRD", Garbage(4096, 3) + mb}}}},
      {"SapRfcIsADirectory", 0, kLogging, {.directories = {"SapRfc.PRD"}}},
      {"MissingTraceFile", 2, "Error 1014: RFC-Failure raised ! - Look for Trace-File",
       {.files = {{"PRD.simrfc", failing}}}},
      {"UnreadableTraceFile", 2, "Error 1014: RFC-Failure raised ! - Look for Trace-File",
       {.files = {{"PRD.simrfc", failing}, {"Dev_Rfc.Trc", ""}}, .unreadable = {"Dev_Rfc.Trc"}}},
      {"TraceFileIsADirectory", 2, "Error 1014: RFC-Failure raised ! - Look for Trace-File",
       {.files = {{"PRD.simrfc", failing}}, .directories = {"Dev_Rfc.Trc"}}},
      {"GarbageTraceFile", 2, "Error 1014: RFC-Failure raised ! - ",
       {.files = {{"PRD.simrfc", failing}, {"Dev_Rfc.Trc", Garbage(8192, 4)}}}},
      {"OneMegabyteTraceLine", 2,
       "Error 1014: RFC-Failure raised ! - " + std::string(87, 'x') + "<",
       {.files = {{"PRD.simrfc", failing}, {"Dev_Rfc.Trc", "ERROR       " + mb + "\r\n"}}}},
      {"TraceFileIsADirectoryAfterSuccess", 0, kLogging, {.directories = {"Dev_Rfc.Trc"}}},
      {"EmptyListing", 2, "Error 1030: Global Sensor ab",
       {.files = {{kListing, ""}}, .args = kGlobal}},
      {"GarbageListing", 2, "Error 10", {.files = {{kListing, Garbage(8192, 5)}}, .args = kGlobal}},
      {"ListingWithNulAndMixedLineEnds", 0, "NoSystems=2, Processed=1, Failed=1",
       {.files = {{kListing, "# GSNG: AB        \0\0PRD.P00#\r# GSNG: AB          PRD\0.P00#\r\n"s +
                                 kAllocation}},
        .args = kGlobal}},
      {"OneMegabyteListingLine", 2, "Error 1027: Global Server Listing too long...",
       {.files = {{kListing, "# GSNG: AB          " + mb + "\n" + kAllocation}}, .args = kGlobal}},
      {"OneMegabyteAllocation", 2, "Error 1028: Sensor-Allocation too long...",
       {.files = {{kListing, "# GSNX: AB         Item=" + mb + ",Sensor=\"SAP Quillmeter\""}},
        .args = kGlobal}},
      {"NonAsciiListNames", 0, "NoSystems=2, Processed=0, Failed=0",
       {.files = {{kListing, "# GSNG: AB          PR\xc3\x84<&.P00#\xff\xfe#\n" + kAllocation}},
        .args = kGlobal}},
      {"ListingIsADirectory", 2, "Error 1002: Profile SAP Tessarin.Gbl is missing...",
       {.args = kGlobal, .directories = {kListing}}},
      {"UnreadableItemProfile", 2, "Error 1002: Profile Tessarin.Prf is missing...",
       {.files = {{"Tessarin.Prf", "# Gsng: xxxxxxxxxxxxPRD.P00#\n"}}, .args = item,
        .unreadable = {"Tessarin.Prf"}}},
      {"GarbageItemProfile", 2, "Error 1027: Global Server Listing too long...",
       {.files = {{"Tessarin.Prf", Garbage(8192, 6) + "\n# Gsng: " + mb}}, .args = item}},
  };
}
// clang-format on

// Empty when `out` is the answer of a run ending with `exit_code`: one
// document, with the console trace, an error document for 2 and the RFC
// failure report for 1.
std::string AnswerFault(const std::string& out, int exit_code) {
  std::string fault = TracedDocumentFault(out);
  if (!fault.empty()) return fault;
  if (exit_code == 1 && out.find("<Text>RFC error - operation/code: ") == std::string::npos)
    return "no RFC failure report";
  bool error = out.find("<Error>1</Error>") != std::string::npos;
  return error == (exit_code != 0) ? "" : "the document does not match the exit code";
}

class BadInputE2eTest : public SensorTest, public ::testing::WithParamInterface<BadInput> {};

TEST_P(BadInputE2eTest, AnswersPrtgAndNeverRewritesWhatItCouldNotRead) {
  const BadInput& c = GetParam();
  const Inputs& inputs = c.inputs;
  box.WriteFile("PRD.P00", Profile());
  WriteSystem();
  for (const auto& [name, contents] : inputs.files) box.WriteFile(name, contents);
  if (inputs.padding > 0) fs::resize_file(box.Path("PRD.P00"), inputs.padding);
  for (const std::string& name : inputs.directories) {
    fs::remove(box.Path(name));
    fs::create_directories(box.Path(name));
  }
  const std::string stamp_before = FileStamp(box.Path("PRD.P00"));
  const std::string profile_before = inputs.padding > 0 ? "" : box.ReadFile("PRD.P00");

  RunOptions options;
  if (!inputs.unreadable.empty()) {
    box.GiveToChildUser();
    for (const std::string& name : inputs.unreadable) chmod(box.Path(name).c_str(), 0);
    options.unprivileged = true;
  }
  SensorResult r =
      RunSensor(inputs.args.empty() ? std::vector<std::string>{"PRD", "@"} : inputs.args, options);
  for (const std::string& name : inputs.unreadable) chmod(box.Path(name).c_str(), 0644);

  EXPECT_EQ(r.exit_code, c.exit_code) << r.out << r.err;
  EXPECT_EQ(AnswerFault(r.out, r.exit_code), "") << Printable(r.out, 2000);
  EXPECT_NE(r.out.find(c.answer), std::string::npos) << Printable(r.out, 2000);
  if (r.exit_code != 0)
    EXPECT_EQ(FileStamp(box.Path("PRD.P00")), stamp_before) << "a failed run wrote the profile";
  else
    EXPECT_EQ(RewriteFault(profile_before, box.ReadFile("PRD.P00")), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, BadInputE2eTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace quillmeter
