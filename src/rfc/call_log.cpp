#include "rfc/call_log.h"

namespace quillmeter {

void CallLog::Event(int handle, std::string_view event, std::string_view detail) const {
  if (platform_ == nullptr) return;
  std::string line = std::to_string(handle);
  line.append(" ").append(event).append(" ").append(detail).append("\n");
  (void)platform_->AppendFile(path_, line);
}

}  // namespace quillmeter
