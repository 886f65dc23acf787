// The optional RFC call log, switched on by ",SYSLOG" in the parameters.
#ifndef QUILLMETER_RFC_CALL_LOG_H_
#define QUILLMETER_RFC_CALL_LOG_H_

#include <string>
#include <string_view>
#include <utility>

#include "platform/platform.h"

namespace quillmeter {

class CallLog {
 public:
  // A log that records nothing.
  CallLog() = default;
  // A log appending to `path`.
  CallLog(Platform& platform, std::string path) : platform_(&platform), path_(std::move(path)) {}

  // Appends "<handle> <event> <detail>\n" at once. A log that cannot be
  // written is skipped: it is an aid, and never fails a scan. Callers never
  // pass the password.
  void Event(int handle, std::string_view event, std::string_view detail = {}) const;

 private:
  Platform* platform_ = nullptr;
  std::string path_;
};

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_CALL_LOG_H_
