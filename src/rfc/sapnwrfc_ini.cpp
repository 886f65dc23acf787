#include "rfc/sapnwrfc_ini.h"

#include "base/text.h"

namespace quillmeter {

bool IniHasDestination(std::string_view contents, std::string_view destination) {
  if (destination.empty()) return false;
  for (const std::string& raw : SplitLines(contents)) {
    std::string line = WithoutBlanks(raw);
    if (StartsWith(line, "#") || StartsWith(line, "/*") || StartsWith(line, "//")) continue;
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    if (UpperCase(WithoutBlanks(line.substr(0, equals))) != "DEST") continue;
    if (WithoutBlanks(std::string_view(line).substr(equals + 1)) == destination) return true;
  }
  return false;
}

}  // namespace quillmeter
