// The check of a multi-system run: the listing, then every system it names
// in a process of its own, as many at once as the run would scan.
#ifndef QUILLMETER_CHECK_LISTING_CHECK_H_
#define QUILLMETER_CHECK_LISTING_CHECK_H_

#include <functional>
#include <istream>
#include <string>

#include "check/check_report.h"
#include "check/system_check.h"
#include "driver/sensor.h"
#include "driver/sensor_directory.h"
#include "driver/sensor_options.h"

namespace quillmeter {

struct ListingCheck {
  ProfileFile file;             // the item profile or global listing, as read
  SensorOptions options;        // the command line's
  std::string second_argument;  // as given
  // Gives the check `seconds` from its start, as a listing's TIMEOUT= does.
  std::function<void(unsigned seconds)> set_timeout;
};

// Checks the listing of `check` and each of its systems, one line each
// prefixed with the system's profile name, then a summary line per system,
// and tells `report` what the sensor would answer. Each system is checked
// in a process of its own (kSystemCheckEntry, through the platform), so
// that a library failure or a hang costs only that system's lines.
void CheckListing(SensorContext& context, const ListingCheck& check, CheckReport& report,
                  CheckProgress& progress);

// The check of one system of a listing, its job read from `in`: the lines
// of CheckSystem and the report's end on context.out. Returns its exit
// code, 2 for a damaged job.
int RunSystemCheckJob(SensorContext& context, std::istream& in);

}  // namespace quillmeter

#endif  // QUILLMETER_CHECK_LISTING_CHECK_H_
