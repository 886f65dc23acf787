// The NetWeaver library's own configuration file, sapnwrfc.ini, as far as
// the sensor reads it: whether it holds an entry for a destination.
#ifndef QUILLMETER_RFC_SAPNWRFC_INI_H_
#define QUILLMETER_RFC_SAPNWRFC_INI_H_

#include <string_view>

namespace quillmeter {

inline constexpr const char kNetWeaverIniFile[] = "sapnwrfc.ini";

// True when `contents` holds a line "DEST=<destination>" (the key in any
// case, blanks around the parts ignored), outside comment lines ("#", "/*",
// "//"). The name itself must match exactly: whether the library matches it
// in any case is not known, and a logon by host then still works. Any
// input is safe.
bool IniHasDestination(std::string_view contents, std::string_view destination);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_SAPNWRFC_INI_H_
