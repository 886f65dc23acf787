// What the NetWeaver library hands back as text: an error record's message
// and key as UTF-16, and the sapnwrfc.ini beside a profile. Any bytes are
// read safely; a network block's cause is one line; the ini reader finds a
// destination only on a line of its own.
#include <algorithm>
#include <string>

#include "fuzz_support.h"
#include "rfc/nw_failure.h"
#include "rfc/sapnwrfc_ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillmeter;
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  // The record as the library fills it, NUL or not.
  nw::ErrorInfo info{};
  size_t units = std::min(size / 2, sizeof info.message / sizeof(SapUc));
  for (size_t i = 0; i < units; ++i)
    info.message[i] = static_cast<SapUc>(data[2 * i] | data[2 * i + 1] << 8);
  info.code = size > 0 ? data[0] % 8 : 0;
  NwError error = ReadNwError(info);
  if (error.message.size() > sizeof info.message / sizeof(SapUc))
    Require("message longer than its record", error.message);
  std::string cause = NwFailureCause(error.message, "KEY");
  if (cause.empty()) Require("no cause at all", error.message);
  Status call = NwCallFailure("ADA_ST04", error, size % 2 == 0);
  if (call.message().rfind("Error 101", 0) != 0) Require("not a numbered message", call.message());

  std::string block_cause = NwFailureCause("\nERROR  " + bytes + "\nRC  -2\n", "KEY");
  if (block_cause.find('\n') != std::string::npos) Require("a block's cause spans lines", bytes);

  const std::string destination = bytes.substr(0, bytes.find_first_of("\r\n= "));
  if (IniHasDestination(bytes, destination) && bytes.find("DEST") == std::string::npos &&
      bytes.find("dest") == std::string::npos && bytes.find('=') == std::string::npos)
    Require("an entry found without its key", bytes);
  return 0;
}
