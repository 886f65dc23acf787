#include "rfc/nw_failure.h"

#include <iterator>

#include "base/text.h"
#include "rfc/logon_refusal.h"

namespace quillmeter {
namespace {

// The longest key a message shows: ABAP names are 30 characters at most.
constexpr size_t kKeyRoom = 64;

// The value of the block line `line` when its key is `key`, else nothing.
bool BlockValue(std::string_view line, std::string_view key, std::string* value) {
  size_t start = line.find_first_not_of(" \t");
  if (start == std::string_view::npos) return false;
  line.remove_prefix(start);
  if (!StartsWith(line, key) || line.size() == key.size()) return false;
  if (line[key.size()] != ' ' && line[key.size()] != '\t') return false;
  *value = WithoutBlanks(OneLine(line.substr(key.size())));
  return true;
}

}  // namespace

NwError ReadNwError(const nw::ErrorInfo& info) {
  NwError error;
  error.code = info.code;
  error.group = info.group;
  error.key = Cp1252FromSapUc(info.key, std::size(info.key));
  error.message = Cp1252FromSapUc(info.message, std::size(info.message));
  return error;
}

std::string NwFailureCause(std::string_view message, std::string_view key) {
  std::vector<std::string> lines = SplitLines(message);
  std::string error, errno_text, value;
  bool block = false;
  size_t filled = 0;
  for (const std::string& line : lines) {
    if (!line.empty()) ++filled;
    if (BlockValue(line, "ERROR", &value) && !block) {
      error = value;
      block = true;
    } else if (BlockValue(line, "ERRNO TEXT", &value) && errno_text.empty()) {
      errno_text = value;
    }
  }
  // A one-line message that happens to begin with ERROR is no block.
  if (block && filled > 1 && !error.empty())
    return errno_text.empty() ? error : error + " (" + errno_text + ")";
  std::string line = OneLine(message);
  return line.empty() ? std::string(key) : line;
}

bool IsNwLogonRefusal(const NwError& error) {
  return error.code == nw::kLogonFailure || error.group == nw::kGroupLogonFailure ||
         IsLogonRefusal(error.key, error.message);
}

Status NwCallFailure(std::string_view function, const NwError& error, bool lookup) {
  std::string key = OneLine(error.key, kKeyRoom);
  std::string cause = std::string(function) + (key.empty() ? "" : ", " + key);
  std::string said = NwFailureCause(error.message, "");
  if (!said.empty()) cause += ": " + said;
  switch (error.code) {
    case nw::kAbapException:
      if (lookup) break;
      return Status::Error("Error 1012: Exception.: " + key, cause);
    case nw::kAbapRuntimeFailure:
    case nw::kAbapMessage: return Status::Error("Error 1013: Sys-Exception raised !", cause);
    case nw::kCommunicationFailure: return Status::Error("Error 1014: RFC-Failure raised !", cause);
    default: break;
  }
  return Status::Error("Error 1015: Other Failure raised !", cause);
}

}  // namespace quillmeter
