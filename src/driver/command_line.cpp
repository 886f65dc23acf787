#include "driver/command_line.h"

#include "output/document.h"

namespace quillmeter {

bool ReadCommandLine(RunState& run) {
  const std::vector<std::string>& args = run.arguments;
  if (args.empty()) {
    SetErrorResult(run, "Error 1001: Parameter for Profile-Name is missing !");
    return false;
  }
  run.profile_name = args[0];
  std::string parameters;
  if (args.size() > 1) parameters = args[1];
  if (args.size() > 2) parameters += " " + args[2];
  // Cutting parameters could silently drop a marker or change an item,
  // so an overlong command line is refused instead.
  if (parameters.size() > kMaxParameters) {
    SetErrorResult(run, "Error 1009: Parameters too long !");
    return false;
  }
  run.options = ParseOptions(parameters);
  return true;
}

}  // namespace quillmeter
