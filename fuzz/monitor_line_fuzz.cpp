// What the remote system sends back: the TST04ADA monitor lines and the
// collection stamp, read against the history lines of the profile. The
// input is "history lines" NUL "collection stamp" NUL "monitor table"; the
// table is cut into lines of 860 bytes.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "rfc/tst04ada.h"
#include "scan/sample.h"

namespace quillmeter {
namespace {

// The counter rule written out independently: blanks and dots dropped
// (only from fields of four or more characters), then the leading digits;
// none, or more than 64 bits hold, is 0.
std::uint64_t ExpectedCounter(std::string_view field) {
  std::uint64_t value = 0;
  bool drop = field.size() >= 4;
  for (char c : field) {
    if (drop && (c == ' ' || c == '.')) continue;
    if (c < '0' || c > '9') break;
    unsigned __int128 next = static_cast<unsigned __int128>(value) * 10 + (c - '0');
    if (next > UINT64_MAX) return 0;
    value = static_cast<std::uint64_t>(next);
  }
  return value;
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// The "# Alg" and "# Alx" lines of `profile`, in order.
std::vector<std::string_view> HistoryLines(std::string_view profile) {
  std::vector<std::string_view> lines;
  for (size_t start = 0; start < profile.size();) {
    size_t end = profile.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = profile.size();
    std::string_view line = profile.substr(start, end - start);
    if (line.substr(0, 6) == "# Alg " || line.substr(0, 6) == "# Alx ") lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace
}  // namespace quillmeter

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillmeter;
  std::vector<std::string> parts = SplitInput(data, size, '\0', 3);
  parts.resize(3);
  const std::string& history = parts[0];
  const std::string& table = parts[2];

  for (size_t start = 0; start < table.size(); start += 26) {
    std::string_view field = std::string_view(table).substr(start, 26);
    if (CounterValue(field) != ExpectedCounter(field)) Require("counter misread", field);
  }

  FuzzRun fuzz;
  const std::string path = std::string(kSensorDir) + "PRD.P00";
  const std::string profile = ValidProfile() + history;
  fuzz.platform.files[path] = profile;
  // The library hands back the table's last line, blank-padded to its width.
  FakeSystemSetup& system = fuzz.library.systems["PRD"];
  system.collection = parts[1];
  if (!table.empty()) {
    system.monitor_line =
        table.substr((table.size() - 1) / kMonitorLineLength * kMonitorLineLength);
    system.monitor_line.resize(kMonitorLineLength, ' ');
  }
  int code = fuzz.Run({"PRD"});
  CheckRun(fuzz, code, true);
  Require(RewriteFault(profile, fuzz.platform, path), profile);

  // A successful scan that writes history leaves exactly one history line,
  // of printable text. One that only lifts a logon guard keeps the history
  // lines as they stood, however malformed.
  bool rewritten = std::count(fuzz.platform.replaces.begin(), fuzz.platform.replaces.end(), path);
  const std::string& saved = fuzz.platform.files[path];
  std::vector<std::string_view> history_lines = HistoryLines(saved);
  if (code == 0 && rewritten && history_lines != HistoryLines(profile)) {
    size_t latest = 0;
    for (std::string_view line : history_lines) {
      if (line.substr(0, 6) != "# Alg ") continue;
      ++latest;
      for (char c : line)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E)
          Require("history line holds an unprintable byte", saved);
    }
    if (latest != 1) Require("not exactly one history line", saved);
  }
  if (code == 0) {
    std::string out = fuzz.out.str();
    for (size_t v = out.find("<Value>"); v != std::string::npos; v = out.find("<Value>", v + 1)) {
      size_t end = out.find("</Value>", v);
      if (!AllDigits(std::string_view(out).substr(v + 7, end - v - 7)))
        Require("a channel value is not a number", out);
    }
  }
  return 0;
}
