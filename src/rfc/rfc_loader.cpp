// Provisional: the library loader is not built yet.
#include "rfc/rfc_loader.h"

#include "output/document.h"
#include "rfc/rfc_library.h"

namespace quillmeter {

bool LoadRfcLibrary(RunState& run) {
  SetErrorResult(run, std::string("Error 1040: RFC library ") + RfcLibraryFileName() +
                          " not loaded !");
  return false;
}

}  // namespace quillmeter
