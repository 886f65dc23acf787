#include "rfc/rfc_library.h"

#include "rfc/library_loading.h"

namespace quillmeter {
namespace {

// Resolves every operation. Returns the name of the first one missing, with
// the system's reason in *reason, or nullptr when all are there.
const char* ResolveOperations(RfcLibrary& rfc, std::string* reason) {
  const char* missing = nullptr;
  auto resolve = [&](const char* name, auto* function) {
    if (missing != nullptr) return;
    Status found = ResolveOperation(*rfc.module, name, function);
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

}  // namespace

Status LoadRfcLibrary(Platform& platform, std::unique_ptr<RfcLibrary>* loaded) {
  auto rfc = std::make_unique<RfcLibrary>();
  LoadedLibrary library;
  if (Status load = LoadVendorLibrary(platform, RfcLibraryFileName(), false, &library); !load.ok())
    return load;
  rfc->module = std::move(library.module);
  rfc->full_path = library.full_path;

  std::string reason;
  if (const char* missing = ResolveOperations(*rfc, &reason))
    return MissingOperation(library.path, missing, reason);
  *loaded = std::move(rfc);
  return Status::Ok();
}

}  // namespace quillmeter
