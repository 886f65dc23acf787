// A test fixture for runs of the built sensor: a sandbox holding system
// profiles and the description files of simulated systems.
#ifndef QUILLMETER_TESTS_E2E_SENSOR_FIXTURE_H_
#define QUILLMETER_TESTS_E2E_SENSOR_FIXTURE_H_

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "profiles/password.h"
#include "sensor_process.h"

namespace quillmeter {

// The fields of a system profile; WriteProfile stores the password scrambled.
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

// The profile text: each key in columns 0-11, its value from column 25.
inline std::string ProfileText(const ProfileFields& f, const std::string& extra_lines = "") {
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
    text += line + value + "\n";
  }
  return text + extra_lines;
}

class SensorTest : public ::testing::Test {
 protected:
  // Writes "<name>.P00" from `fields`.
  void WriteProfile(const std::string& name, const ProfileFields& fields = {},
                    const std::string& extra_lines = "") {
    box.WriteFile(name + ".P00", ProfileText(fields, extra_lines));
  }

  // Describes simulated system `destination`: logon data of `fields` plus
  // `more` description lines.
  void WriteSystem(const ProfileFields& fields = {}, const std::string& more = "") {
    box.WriteFile(fields.destination + ".simrfc",
                  "client " + fields.client + "\nuser " + fields.user + "\npassword " +
                      fields.password + "\ndatabase ADABAS D\nhost sapprd01\n" + more);
  }

  // Makes the simulated library record what it sees in SimRfc.log.
  void RecordLibraryCalls() { box.WriteFile("SimRfc.log", ""); }
  std::string LibraryCalls() const { return box.ReadFile("SimRfc.log"); }

  SensorResult RunSensor(const std::vector<std::string>& args, const RunOptions& options = {}) {
    return box.Run(args, options);
  }

  // The PRTG error document carrying `message`.
  static std::string ErrorDocument(const std::string& message) {
    return "<Prtg>\n<Error>1</Error>\n<Text>" + message + "</Text>\n</Prtg>\n";
  }

  Sandbox box;
};

}  // namespace quillmeter

#endif  // QUILLMETER_TESTS_E2E_SENSOR_FIXTURE_H_
