#include "rfc/load_sap_library.h"

#include "base/text.h"
#include "rfc/classic_sap_system.h"
#include "rfc/netweaver_sap_system.h"

namespace quillmeter {

Status LoadSapLibrary(RfcLibraryChoice choice, Platform& platform, FailureSink& sink,
                      std::unique_ptr<SapLibrary>* library) {
  if (choice == RfcLibraryChoice::kNetWeaver) return LoadNetWeaverLibrary(platform, library);
  Status classic = LoadClassicLibrary(platform, sink, library);
  if (classic.ok() || choice == RfcLibraryChoice::kClassic) return classic;
  Status netweaver = LoadNetWeaverLibrary(platform, library);
  if (netweaver.ok()) return netweaver;
  // Both texts in the message: a cause would be cut, and every file counts.
  std::string second = netweaver.message();
  size_t colon = second.find(": ");
  if (StartsWith(second, "Error ") && colon != std::string::npos) second.erase(0, colon + 2);
  return Status::Error(classic.message() + " - " + second);
}

}  // namespace quillmeter
