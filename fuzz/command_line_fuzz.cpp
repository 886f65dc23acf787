// The command line: profile name and parameter words, as PRTG passes
// whatever an administrator typed. The input holds the arguments separated
// by NUL bytes, which no real argument can hold; its length picks the
// output mode, so the console products see the same arguments.
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "driver/profile_naming.h"
#include "fuzz_support.h"

namespace quillmeter {
namespace {

void CheckReaders(const std::vector<std::string>& args) {
  FakePlatform platform;
  CommandLine line;
  if (!ReadCommandLine(args, &line).ok()) return;
  const SensorOptions& options = line.options;
  if (options.parameter_text.size() > kMaxParameters)
    Require("parameters too long", options.parameter_text);
  std::string display = ParameterDisplay(options.parameter_text);
  if (display.empty() || display.find('#') != std::string::npos)
    Require("parameter display shows a '#' or nothing", display);
  if (options.item && (options.item->size() > 90 || options.item->find(':') != std::string::npos))
    Require("item id too long or holding ':'", *options.item);
  ProfileName naming;
  if (!NameProfile(platform, line.profile, options, &naming).ok()) return;
  if (naming.name.size() > kMaxProfileName || naming.dir.size() > kMaxProfileDir)
    Require("profile name or directory out of bounds", naming.dir + naming.name);
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
  if (mode > 0)
    fuzz.platform.files[fuzz.platform.executable_dir + ModeMarkerFile(kProductModes[mode - 1])] =
        "";
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
