// Which failed opens are SAP refusing the logon itself: the ones it counts
// against the RFC user, and locks the user after a few of. Every text the
// sensor recognises is in the one table in logon_refusal.cpp.
#ifndef QUILLMETER_RFC_LOGON_REFUSAL_H_
#define QUILLMETER_RFC_LOGON_REFUSAL_H_

#include <string_view>

namespace quillmeter {

// True when the library's last error after a failed open says that SAP
// refused the logon: its key names a logon failure, or its message begins
// with one of SAP's refusals, in English or German. Letter case and leading
// blanks do not matter. Any other failure (a partner not reached) is not one.
bool IsLogonRefusal(std::string_view key, std::string_view message);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_LOGON_REFUSAL_H_
