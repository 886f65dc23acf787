#include "rfc/rfc_loader.h"

#include <cstring>

#include "output/document.h"
#include "rfc/rfc_library.h"

namespace quillmeter {
namespace {

// The one place where a symbol address becomes a function pointer. Both
// have the size of a data pointer on every platform the sensor runs on.
template <typename Function>
bool Resolve(DynamicLibrary& module, const char* name, Function* function, std::string* error) {
  static_assert(sizeof(Function) == sizeof(void*));
  void* address = module.Symbol(name, error);
  if (address == nullptr) return false;
  std::memcpy(function, &address, sizeof *function);
  return true;
}

// Resolves every operation. Returns the name of the first one missing, or
// nullptr when all are there.
const char* ResolveOperations(RfcLibrary& rfc, std::string* error) {
  const char* missing = nullptr;
  auto resolve = [&](const char* name, auto* function) {
    if (missing == nullptr && !Resolve(*rfc.module, name, function, error)) missing = name;
  };
  resolve("RfcEnvironment", &rfc.RfcEnvironment);
  resolve("RfcOpen", &rfc.RfcOpen);
  resolve("RfcOpenEx", &rfc.RfcOpenEx);
  resolve("RfcInstallStructure", &rfc.RfcInstallStructure);
  resolve("RfcCall", &rfc.RfcCall);
  resolve("RfcReceive", &rfc.RfcReceive);
  resolve("RfcLastError", &rfc.RfcLastError);
  resolve("RfcClose", &rfc.RfcClose);
  resolve("ItCreate", &rfc.ItCreate);
  resolve("ItFill", &rfc.ItFill);
  resolve("ItGetLine", &rfc.ItGetLine);
  resolve("ItDelete", &rfc.ItDelete);
  return missing;
}

// "path: reason", unless the system's reason names the path already.
std::string Attempt(const std::string& path, const std::string& reason) {
  return reason.find(path) != std::string::npos ? reason : path + ": " + reason;
}

}  // namespace

bool LoadRfcLibrary(RunState& run) {
  if (run.rfc != nullptr) return true;
  const std::string file = RfcLibraryFileName();
  const std::string beside = run.platform.ExecutableDir() + file;

  auto rfc = std::make_unique<RfcLibrary>();
  std::string path = beside;
  std::string beside_error, search_error;
  rfc->module = run.platform.LoadSharedLibrary(beside, &beside_error);
  if (rfc->module == nullptr && beside != file) {
    path = file;
    rfc->module = run.platform.LoadSharedLibrary(file, &search_error);
  }
  if (rfc->module == nullptr) {
    std::string message =
        "Error 1040: RFC library " + file + " cannot be loaded (" + Attempt(beside, beside_error);
    if (!search_error.empty()) message += "; " + Attempt(file, search_error);
    SetErrorResult(run, message + ") !");
    return false;
  }

  std::string error;
  if (const char* missing = ResolveOperations(*rfc, &error)) {
    SetErrorResult(run, "Error 1041: RFC library " + path + " lacks the operation " + missing +
                            " (" + error + ") !");
    return false;
  }
  run.rfc = std::move(rfc);
  return true;
}

}  // namespace quillmeter
