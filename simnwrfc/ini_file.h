// The simulated library's reading of sapnwrfc.ini: entries that start with
// "DEST=<name>" and end at an empty line, of "NAME=value" lines.
#ifndef QUILLMETER_SIMNWRFC_INI_FILE_H_
#define QUILLMETER_SIMNWRFC_INI_FILE_H_

#include <map>
#include <string>

namespace simnwrfc {

// Finds the entry of `destination` (compared exactly) in the text of a
// sapnwrfc.ini and puts its parameters, names in upper case, in *entry.
// False when no entry names it.
bool FindIniEntry(const std::string& text, const std::string& destination,
                  std::map<std::string, std::string>* entry);

}  // namespace simnwrfc

#endif  // QUILLMETER_SIMNWRFC_INI_FILE_H_
