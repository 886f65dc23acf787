#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>

#include "driver/sensor.h"
#include "driver/worker.h"
#include "profiles/profile_text.h"

namespace quillmeter {

std::string ValidProfile() { return ProfileText(); }

int FuzzRun::Run(const std::vector<std::string>& arguments) {
  SensorContext context(platform, out);
  context.load_library = [this](RfcLibraryChoice, FailureSink&, std::unique_ptr<SapLibrary>* loaded) {
    *loaded = library.Lend();
    return Status::Ok();
  };
  context.new_worker = [&context] { return MakeInProcessWorker(context); };
  try {
    return RunSensor(arguments, context);
  } catch (const ExitCalled& exit) {
    return exit.code;
  }
}

std::string RewriteFault(std::string_view original, const FakePlatform& platform,
                         const std::string& path) {
  auto it = platform.files.find(path);
  if (it == platform.files.end()) return "profile " + path + " is gone";
  return RewriteFault(original, it->second);
}

void CheckRun(const FuzzRun& run, int exit_code, bool plain_document) {
  std::string out = run.out.str();
  if (exit_code < 0 || exit_code > 2) Require("exit code " + std::to_string(exit_code), out);
  if (!plain_document) return;
  Require(DocumentFault(out), out);
  if (exit_code == 1 && out.find("<Text>RFC error - operation/code: ") == std::string::npos)
    Require("exit code 1 without the RFC failure report", out);
  bool error_document = out.find("<Error>1</Error>") != std::string::npos;
  if (error_document != (exit_code != 0))
    Require("exit code " + std::to_string(exit_code) + " does not match the document", out);
}

void Require(const std::string& fault, std::string_view what) {
  if (fault.empty()) return;
  std::fprintf(stderr, "FAULT: %s\nIN: %s\n", fault.c_str(), Printable(what).c_str());
  std::abort();
}

std::vector<std::string> SplitInput(const uint8_t* data, size_t size, char separator,
                                    size_t max_parts) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> parts;
  while (parts.size() + 1 < max_parts) {
    size_t at = input.find(separator);
    if (at == std::string_view::npos) break;
    parts.emplace_back(input.substr(0, at));
    input.remove_prefix(at + 1);
  }
  parts.emplace_back(input);
  return parts;
}

}  // namespace quillmeter
