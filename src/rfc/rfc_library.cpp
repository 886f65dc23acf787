#include "rfc/rfc_library.h"

#include <cstring>

#include "rfc/library_architecture.h"

namespace quillmeter {
namespace {

// The one place where a symbol address becomes a function pointer. Both
// have the size of a data pointer on every platform the sensor runs on.
template <typename Function>
Status Resolve(DynamicLibrary& module, const char* name, Function* function) {
  static_assert(sizeof(Function) == sizeof(void*));
  void* address = nullptr;
  Status found = module.Symbol(name, &address);
  if (found.ok()) std::memcpy(function, &address, sizeof *function);
  return found;
}

// Resolves every operation. Returns the name of the first one missing, with
// the system's reason in *reason, or nullptr when all are there.
const char* ResolveOperations(RfcLibrary& rfc, std::string* reason) {
  const char* missing = nullptr;
  auto resolve = [&](const char* name, auto* function) {
    if (missing != nullptr) return;
    Status found = Resolve(*rfc.module, name, function);
    if (!found.ok()) {
      missing = name;
      *reason = found.cause();
    }
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

Status LoadRfcLibrary(Platform& platform, std::unique_ptr<RfcLibrary>* loaded) {
  const std::string file = RfcLibraryFileName();
  const std::string beside = platform.ExecutableDir() + file;

  auto rfc = std::make_unique<RfcLibrary>();
  std::string path = beside;
  Status beside_load = platform.LoadSharedLibrary(beside, &rfc->module);
  Status search_load;
  if (rfc->module == nullptr && beside != file) {
    path = file;
    search_load = platform.LoadSharedLibrary(file, &rfc->module);
  }
  if (rfc->module == nullptr) {
    std::string message =
        "Error 1040: RFC library " + file + " cannot be loaded (" + Attempt(beside, beside_load);
    if (!search_load.ok()) message += "; " + Attempt(file, search_load);
    std::string other = OtherArchitectureError(platform, {beside, platform.FindLibrary(file)});
    return Status::Error(other.empty() ? message + ") !" : other);
  }

  std::string reason;
  if (const char* missing = ResolveOperations(*rfc, &reason))
    return Status::Error("Error 1041: RFC library " + path + " lacks the operation " + missing +
                         " (" + reason + ") !");
  *loaded = std::move(rfc);
  return Status::Ok();
}

}  // namespace quillmeter
