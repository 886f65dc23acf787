// Logging on through the classic library: from the per-destination file
// "SapRfc.<DEST>" through a connect string when it exists, else from an
// options record.
#ifndef QUILLMETER_RFC_LOGON_H_
#define QUILLMETER_RFC_LOGON_H_

#include <string>

#include "base/status.h"
#include "platform/platform.h"
#include "rfc/remote_call.h"
#include "rfc/sap_system.h"

namespace quillmeter {

// The per-destination configuration is "SapRfc." + destination, copied to
// SapRfc.ini, where the library reads it; both in the working directory.
inline constexpr const char kConnectFilePrefix[] = "SapRfc.";
inline constexpr const char kRfcIniFile[] = "SapRfc.ini";
inline constexpr const char kRfcIniLock[] = "SapRfc.lck";

// Opens a connection for `request` and keeps its handle in the session.
// Fails with "Error 1011", its cause the library's last error or a
// SapRfc.ini that cannot be written, or before any logon with "Error 1042"
// (a value that would break the connect string) or "Error 1043" (a
// destination that is a path). *console_note names the per-destination file
// when one is used.
Status OpenConnection(RfcSession& session, Platform& platform, const OpenRequest& request,
                      std::string* console_note);

// Closes the session's connection if one is held.
void CloseConnection(RfcSession& session);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_LOGON_H_
