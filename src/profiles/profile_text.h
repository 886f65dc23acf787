// Test support: the text of a system profile, for tests, fuzz targets and
// the benchmark that write profiles of their own.
#ifndef QUILLMETER_PROFILES_PROFILE_TEXT_H_
#define QUILLMETER_PROFILES_PROFILE_TEXT_H_

#include <string>
#include <utility>

#include "profiles/password.h"

namespace quillmeter {

// The fields of a system profile; ProfileText stores the password scrambled.
struct ProfileFields {
  std::string extcompany = "ACME";
  std::string destination = "PRD";
  std::string client = "100";
  std::string user = "monitor";
  std::string password = "Secret12";
  std::string language = "E";
  std::string mode = "R/3";
  std::string host = "sapprd01";
  std::string sysnr = "02";
  std::string gwhost = "gw01";
  std::string gwservice = "sapgw02";
};

// The stored form of `password` (at most 20 printable characters).
inline std::string StoredPassword(const std::string& password) {
  return ScramblePassword(password, 3, std::string(kMaxPasswordLength - password.size(), 'x'));
}

// The profile text: each key in columns 0-11, its value from column 25, each
// line ended by `line_end`; `extra_lines` follow as they stand.
inline std::string ProfileText(const ProfileFields& f = {}, const std::string& extra_lines = "",
                               const std::string& line_end = "\n") {
  const std::pair<const char*, std::string> lines[] = {
      {"Extcompany.:", f.extcompany},
      {"Destination:", f.destination},
      {"Client.....:", f.client},
      {"User.......:", f.user},
      {"Password...:", StoredPassword(f.password)},
      {"Language...:", f.language},
      {"Mode.......:", f.mode},
      {"Hostname...:", f.host},
      {"Sysnr......:", f.sysnr},
      {"Gwhost.....:", f.gwhost},
      {"Gwservice..:", f.gwservice},
  };
  std::string text;
  for (const auto& [key, value] : lines) {
    std::string line = key;
    line.resize(25, ' ');
    text += line + value + line_end;
  }
  return text + extra_lines;
}

}  // namespace quillmeter

#endif  // QUILLMETER_PROFILES_PROFILE_TEXT_H_
