// The command line: profile name and parameter words, as PRTG passes
// whatever an administrator typed. The input holds the arguments separated
// by NUL bytes, which no real argument can hold; its length picks the
// output mode, so the console products see the same arguments.
#include <string>
#include <vector>

#include "base/text.h"
#include "driver/command_line.h"
#include "driver/profile_naming.h"
#include "fuzz_support.h"

namespace quillmeter {
namespace {

void CheckReaders(const std::vector<std::string>& args) {
  FakePlatform platform;
  std::ostringstream out;
  RunState run(platform, out);
  run.arguments = args;
  if (!ReadCommandLine(run)) return;
  if (run.options.parameter_text.size() > kMaxParameters)
    Require("parameters too long", run.options.parameter_text);
  std::string display = ParameterDisplay(run.options.parameter_text);
  if (display.empty() || display.find('#') != std::string::npos)
    Require("parameter display shows a '#' or nothing", display);
  if (!NameProfile(run)) return;
  if (run.profile_name.size() > kMaxProfileName || run.profile_dir.size() > kMaxProfileDir)
    Require("profile name or directory out of bounds", run.profile_dir + run.profile_name);
  if (run.item_id.size() > 90 || run.item_id.find(':') != std::string::npos)
    Require("item id too long or holding ':'", run.item_id);
}

}  // namespace
}  // namespace quillmeter

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillmeter;
  std::vector<std::string> args;
  if (size > 0) args = SplitInput(data, size, '\0', 5);
  CheckReaders(args);

  FuzzRun fuzz;
  for (const std::string& dir : {std::string(kSensorDir), std::string()}) {
    fuzz.platform.files[dir + "PRD.P00"] = ValidProfile();
    fuzz.platform.files[dir + "Tessarin.Prf"] = "# Gsng: LISTING     PRD.P00#\n";
    fuzz.platform.files[dir + "SAP Tessarin.Gbl"] =
        "# GSNG: PRD         PRD.P00#\n"
        "# GSNX: PRD        Item=LogWrites,Sensor=\"SAP Quillmeter\"\n";
  }
  size_t mode = size % 5;
  if (mode > 0) fuzz.platform.files[fuzz.platform.executable_dir + kModeMarkerFiles[mode - 1]] = "";
  int code = fuzz.Run(args);

  std::string parameters;
  for (size_t i = 1; i < args.size() && i < 3; ++i) parameters += args[i];
  bool trace = parameters.find_first_of("#@$%") != std::string::npos;
  bool document_mode = mode == 0 || mode == 1 || mode == 4;
  CheckRun(fuzz, code, document_mode && !trace);
  for (const std::string& dir : {std::string(kSensorDir), std::string()})
    Require(RewriteFault(ValidProfile(), fuzz.platform, dir + "PRD.P00"), parameters);
  if (document_mode && trace && code != 1 &&
      parameters.find_first_of("\r\n") == std::string::npos) {
    std::string out = fuzz.out.str();
    Require(TracedDocumentFault(out), out);
  }
  return 0;
}
