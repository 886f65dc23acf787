// quillmeter-check: one command that walks every step a scan with the same
// arguments would take, with the sensor's own code, and says what to fix.
#ifndef QUILLMETER_CHECK_CHECK_RUN_H_
#define QUILLMETER_CHECK_CHECK_RUN_H_

#include <istream>
#include <string>
#include <vector>

#include "driver/sensor.h"

namespace quillmeter {

// A listing's check starts the check again with this one argument to check
// one system, whose job it reads from standard input.
inline constexpr const char kSystemCheckEntry[] = "\x1bquillmeter-check-system";

// Checks the setup a scan with `arguments` (the sensor's own, without the
// program name) needs, one line per step on context.out. Returns 0 when no
// step failed, 1 when one did, 2 when the check could not start (bad
// arguments). Writes nothing to a profile but the guard of a logon SAP
// refuses. `in` carries a system's job after kSystemCheckEntry.
int RunCheck(const std::vector<std::string>& arguments, SensorContext& context, std::istream& in);

}  // namespace quillmeter

#endif  // QUILLMETER_CHECK_CHECK_RUN_H_
