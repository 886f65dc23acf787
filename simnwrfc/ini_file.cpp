#include "ini_file.h"

#include "system.h"

namespace simnwrfc {
namespace {

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return std::string();
  size_t end = text.find_last_not_of(" \t\r");
  return text.substr(begin, end - begin + 1);
}

}  // namespace

bool FindIniEntry(const std::string& text, const std::string& destination,
                  std::map<std::string, std::string>* entry) {
  bool inside = false, found = false;
  std::map<std::string, std::string> current;
  for (size_t at = 0; at <= text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(text.substr(at, end - at));
    at = end + 1;
    if (line.rfind("#", 0) == 0 || line.rfind("/*", 0) == 0 || line.rfind("//", 0) == 0) continue;
    if (line.empty()) {
      if (inside) break;
      continue;
    }
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string name = simrfc::Upper(Trim(line.substr(0, equals)));
    const std::string value = Trim(line.substr(equals + 1));
    if (name == "DEST") {
      if (inside) break;  // the entry ended without an empty line
      inside = value == destination;
      found = found || inside;
    }
    if (inside) current[name] = value;
  }
  if (found) *entry = current;
  return found;
}

}  // namespace simnwrfc
