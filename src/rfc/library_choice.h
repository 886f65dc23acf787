// Which of SAP's RFC libraries a system is scanned through, as its profile
// says: a plain value, so that it travels with a system to its worker.
#ifndef QUILLMETER_RFC_LIBRARY_CHOICE_H_
#define QUILLMETER_RFC_LIBRARY_CHOICE_H_

#include <string_view>

namespace quillmeter {

enum class RfcLibraryChoice {
  kAutomatic,  // the classic library where it loads, else the NetWeaver one
  kClassic,
  kNetWeaver,
};

// The choice a profile value names: "classic" or "netweaver" in any letter
// case, "" for kAutomatic. Trailing blanks are no part of it. False for
// anything else, *choice then untouched.
bool ParseRfcLibraryChoice(std::string_view value, RfcLibraryChoice* choice);

// "classic", "netweaver", or "" for kAutomatic: what ParseRfcLibraryChoice
// reads back.
std::string_view RfcLibraryChoiceName(RfcLibraryChoice choice);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_LIBRARY_CHOICE_H_
