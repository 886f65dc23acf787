// What the NetWeaver library reports in its error record, turned into the
// sensor's statuses: which opens are refused logons, the cause of any other
// failure, and the numbered messages of failed calls.
#ifndef QUILLMETER_RFC_NW_FAILURE_H_
#define QUILLMETER_RFC_NW_FAILURE_H_

#include <string>
#include <string_view>

#include "base/status.h"
#include "rfc/nwrfc.h"

namespace quillmeter {

// The error record's fields as text, each bounded by its array.
struct NwError {
  int code = nw::kOk;
  int group = 0;
  std::string key;
  std::string message;
};

NwError ReadNwError(const nw::ErrorInfo& info);

// The cause a failure's `message` gives. The library reports network
// failures as a block of "KEY  value" lines; from such a block the cause is
// the ERROR line's value, followed by the ERRNO TEXT line's value in
// parentheses when there is one: "partner 'sapprd01:3300' not reached
// (Connection refused)". Any other message is the cause on one line; an
// empty one gives `key`. Any input is safe.
std::string NwFailureCause(std::string_view message, std::string_view key);

// True when a failed open is SAP refusing the logon: the logon-failure code
// or group, or a key or text the classic path knows as a refusal.
bool IsNwLogonRefusal(const NwError& error);

// A failed call of `function`, by the result code: an ABAP exception is
// "Error 1012: Exception.: <key>", a runtime failure or an ABAP message
// "Error 1013", a communication failure "Error 1014", anything else "Error
// 1015". The cause names the function module, the key and the message. A
// failed metadata `lookup` reports an exception (an unknown function
// module) as 1015, since no exception of the module was raised.
Status NwCallFailure(std::string_view function, const NwError& error, bool lookup);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_NW_FAILURE_H_
