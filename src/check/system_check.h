// The steps of one system, from its profile to its history, checked with
// the sensor's own code: what the single-system check runs, and what each
// system of a listing runs in a process of its own.
#ifndef QUILLMETER_CHECK_SYSTEM_CHECK_H_
#define QUILLMETER_CHECK_SYSTEM_CHECK_H_

#include <functional>
#include <mutex>
#include <string>

#include "check/check_report.h"
#include "driver/deadline.h"
#include "driver/sensor.h"
#include "driver/sensor_directory.h"
#include "profiles/history.h"
#include "rfc/sap_system.h"

namespace quillmeter {

// What the check waits on, for its deadline's late answer and for a
// library failure: the system and the sensor's name of the step.
class CheckProgress {
 public:
  explicit CheckProgress(Deadline* deadline) : deadline_(deadline) {}
  void Track(const std::string& what, const std::string& step);
  void Step(const std::string& step);
  std::string what() const;
  std::string step() const;

 private:
  Deadline* deadline_;  // none in tests
  mutable std::mutex lock_;
  std::string what_;
  std::string step_;
};

// The check's name of a step the sensor names `sensor_step`: "logon" for
// the open and its waits, else the sensor's own.
std::string CheckStepName(const std::string& sensor_step);

// Runs `check` with a deadline `within` from now, and ends the report:
// returns its exit code. When the time is up first, the late answer is a
// failed line naming the step `check` waits on (as told to the progress it
// is given) and the run's `seconds`, then the report's end, and the process
// ends with exit code 1. `check` may move the deadline with the function it
// is given, as a listing's TIMEOUT= does.
int CheckWithin(Platform& platform, CheckReport& report, unsigned seconds,
                Deadline::Clock::duration within,
                const std::function<void(CheckProgress& progress,
                                         const std::function<void(unsigned)>& set_timeout)>& check);

struct SystemCheck {
  ProfileFile file;               // as read
  HistoryKey history;             // whose samples: the single system's, or a listing sensor's
  ConnectionOverrides overrides;  // ",HOST=" and ",NO="
  bool call_log = false;          // ",SYSLOG"
};

// Checks the system of `check`: its profile's keys, the password, the logon
// guard, the library, the logon, the three calls and the history, one line
// each on `report`, and tells `report` what the sensor would answer. Writes
// nothing to the profile but the guard of a logon SAP refuses, as a scan
// would. A library failure ends the process through its failure handler,
// after a line for it and the report's end.
void CheckSystem(SensorContext& context, const SystemCheck& check, CheckReport& report,
                 CheckProgress& progress);

}  // namespace quillmeter

#endif  // QUILLMETER_CHECK_SYSTEM_CHECK_H_
