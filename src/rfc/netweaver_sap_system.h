// The SAP system as SAP's NetWeaver RFC library (sapnwrfc) reaches it:
// logon by parameters or by a sapnwrfc.ini entry, the three function
// modules through the library's metadata, failures from its error record.
// No trace file and no failure handler belong to this path.
#ifndef QUILLMETER_RFC_NETWEAVER_SAP_SYSTEM_H_
#define QUILLMETER_RFC_NETWEAVER_SAP_SYSTEM_H_

#include <memory>

#include "base/status.h"
#include "platform/platform.h"
#include "rfc/sap_system.h"

namespace quillmeter {

// Loads the NetWeaver library (beside the executable first, then on the
// search path) into *library, its folder put in front of the search path
// for the companions it loads itself. Fails with "Error 1040" or "Error
// 1041" as the classic library does.
Status LoadNetWeaverLibrary(Platform& platform, std::unique_ptr<SapLibrary>* library);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_NETWEAVER_SAP_SYSTEM_H_
