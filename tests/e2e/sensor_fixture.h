// A test fixture for runs of the built sensor: a sandbox holding system
// profiles and the description files of simulated systems.
#ifndef QUILLMETER_TESTS_E2E_SENSOR_FIXTURE_H_
#define QUILLMETER_TESTS_E2E_SENSOR_FIXTURE_H_

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "profiles/profile_text.h"
#include "sensor_process.h"

namespace quillmeter {

// `out` with every time of day of the console trace lines made "hh:mm:ss".
inline std::string MaskedTimes(const std::string& out) {
  return std::regex_replace(out, std::regex("\\d\\d:\\d\\d:\\d\\d"), "hh:mm:ss");
}

// A channel of a PRTG document as the sensor prints it.
inline std::string Channel(const std::string& name, const std::string& value) {
  return "\n<Result><Channel>" + name + "</Channel>\n<Value>" + value + "</Value></Result>\n";
}

// How often `part` stands in `text`, overlaps counted.
inline size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
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

  // Makes the sandbox folder read-only for a run with *options, which then
  // runs as nobody when the tests run as root; its files stay readable, and
  // the simulated library's call log writable. False when the mode does not
  // bind such a run: the test should skip.
  bool MakeFolderReadOnly(RunOptions* options) {
    for (const auto& entry : std::filesystem::directory_iterator(box.dir()))
      if (entry.is_regular_file())
        chmod(entry.path().c_str(), entry.path().filename() == "SimRfc.log" ? 0666 : 0644);
    chmod(box.dir().c_str(), 0555);
    options->unprivileged = true;
    RunOptions probe = *options;
    probe.executable = "/usr/bin/touch";
    box.Run({"probe"}, probe);
    return !box.Exists("probe");
  }

  // The PRTG error document carrying `message`.
  static std::string ErrorDocument(const std::string& message) {
    return "<Prtg>\n<Error>1</Error>\n<Text>" + message + "</Text>\n</Prtg>\n";
  }

  Sandbox box;
};

}  // namespace quillmeter

#endif  // QUILLMETER_TESTS_E2E_SENSOR_FIXTURE_H_
