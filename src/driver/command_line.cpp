#include "driver/command_line.h"

namespace quillmeter {

Status ReadCommandLine(const std::vector<std::string>& args, CommandLine* command_line) {
  if (args.empty()) return Status::Error("Error 1001: Parameter for Profile-Name is missing !");
  std::string parameters;
  if (args.size() > 1) parameters = args[1];
  if (args.size() > 2) parameters += " " + args[2];
  if (parameters.size() > kMaxParameters) return Status::Error("Error 1009: Parameters too long !");
  command_line->profile = args[0];
  command_line->second_argument = args.size() > 1 ? args[1] : std::string();
  if (Status checked = CheckNumbers(parameters); !checked.ok()) return checked;
  command_line->options = ParseOptions(parameters);
  return Status::Ok();
}

}  // namespace quillmeter
