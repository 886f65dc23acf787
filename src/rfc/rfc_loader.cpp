#include "rfc/rfc_loader.h"

#include <cstring>

#include "output/document.h"
#include "rfc/library_architecture.h"
#include "rfc/rfc_library.h"

namespace quillmeter {
namespace {

// The one place where a symbol address becomes a function pointer. Both
// have the size of a data pointer on every platform the sensor runs on.
template <typename Function>
bool Resolve(DynamicLibrary& module, const char* name, Function* function, std::string* error) {
  static_assert(sizeof(Function) == sizeof(void*));
  void* address = nullptr;
  Status found = module.Symbol(name, &address);
  if (!found.ok()) {
    *error = found.cause();
    return false;
  }
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

// The system's reason for a failed load, naming the path: POSIX's text
// names it already, Windows' does not.
std::string Attempt(const std::string& path, const Status& status) {
  return status.cause().find(path) != std::string::npos ? status.cause() : status.Text();
}

}  // namespace

bool LoadRfcLibrary(RunState& run) {
  if (run.rfc != nullptr) return true;
  const std::string file = RfcLibraryFileName();
  const std::string beside = run.platform.ExecutableDir() + file;

  auto rfc = std::make_unique<RfcLibrary>();
  std::string path = beside;
  Status beside_load = run.platform.LoadSharedLibrary(beside, &rfc->module);
  Status search_load;
  if (rfc->module == nullptr && beside != file) {
    path = file;
    search_load = run.platform.LoadSharedLibrary(file, &rfc->module);
  }
  if (rfc->module == nullptr) {
    std::string message =
        "Error 1040: RFC library " + file + " cannot be loaded (" + Attempt(beside, beside_load);
    if (!search_load.ok()) message += "; " + Attempt(file, search_load);
    std::string other =
        OtherArchitectureError(run.platform, {beside, run.platform.FindLibrary(file)});
    SetErrorResult(run, other.empty() ? message + ") !" : other);
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
