// Provisional: the profile reader is not built yet.
#include "profiles/system_profile.h"

#include "output/document.h"

namespace quillmeter {

bool ReadSystemProfile(RunState& run) {
  SetErrorResult(run, "Error 1003: Invalid Parameter(s) at " + run.profile_name + " found...");
  return false;
}

SystemProfileRead ReadProfileForSystem(RunState&, const std::string&) {
  return SystemProfileRead::kMissing;
}

}  // namespace quillmeter
