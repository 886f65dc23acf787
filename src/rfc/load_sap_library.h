// Loading the RFC library a system's profile chose.
#ifndef QUILLMETER_RFC_LOAD_SAP_LIBRARY_H_
#define QUILLMETER_RFC_LOAD_SAP_LIBRARY_H_

#include <memory>

#include "base/status.h"
#include "platform/platform.h"
#include "rfc/failure.h"
#include "rfc/library_choice.h"
#include "rfc/sap_system.h"

namespace quillmeter {

// Loads the library `choice` names into *library; kAutomatic takes the
// classic one where it loads, else the NetWeaver one. Fails with the
// library's own "Error 1040"/"Error 1041"; when neither loads, the classic
// message is followed by the NetWeaver library's after " - ", so that every
// file tried is named. Classic failures later go to `sink`.
Status LoadSapLibrary(RfcLibraryChoice choice, Platform& platform, FailureSink& sink,
                      std::unique_ptr<SapLibrary>* library);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_LOAD_SAP_LIBRARY_H_
