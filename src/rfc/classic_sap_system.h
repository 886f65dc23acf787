// The SAP system as SAP's classic RFC library (librfc32) reaches it: every
// record, call pattern, the failure handler and the trace file stay here.
#ifndef QUILLMETER_RFC_CLASSIC_SAP_SYSTEM_H_
#define QUILLMETER_RFC_CLASSIC_SAP_SYSTEM_H_

#include <memory>

#include "base/status.h"
#include "platform/platform.h"
#include "rfc/failure.h"
#include "rfc/sap_system.h"

namespace quillmeter {

// Loads librfc32 (beside the executable first, then on the search path)
// into *library. A failure the library itself reports later goes to `sink`
// and ends the process with exit code 1. Fails with "Error 1040" or "Error
// 1041" as LoadRfcLibrary does.
Status LoadClassicLibrary(Platform& platform, FailureSink& sink,
                          std::unique_ptr<SapLibrary>* library);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_CLASSIC_SAP_SYSTEM_H_
