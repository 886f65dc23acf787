#include "driver/run_state.h"

#include <cstdio>

#include "rfc/rfc_library.h"

namespace quillmeter {

RunState::RunState(Platform& platform, std::ostream& out)
    : platform(platform), out(out), prtg_path_file(platform.PrtgPathFile()) {}

RunState::~RunState() = default;

std::string TimeOfDay(Platform& platform) {
  ClockTime now = platform.Now();
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", now.hour % 100, now.minute % 100,
                now.second % 100);
  return text;
}

}  // namespace quillmeter
