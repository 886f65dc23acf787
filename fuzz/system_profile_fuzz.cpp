// The system profile reader and, through it, the password unscrambler, the
// logon data from PRTG's variables, the history line and the logon guard
// with either kind of fingerprint, and the keys a setup check warns of: the
// input is the whole profile file.
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "profiles/logon_guard.h"
#include "profiles/profile_update.h"
#include "profiles/system_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillmeter;
  const std::string profile(reinterpret_cast<const char*>(data), size);

  // Both reads take the same lines by the same rules; a profile may take
  // its logon data from PRTG's variables.
  FakePlatform platform;
  platform.files["PRD.P00"] = profile;
  platform.environment = {{"prtg_windowsuser", "rfcwin"}, {"prtg_windowspassword", "WinPass1"}};
  const PrtgCredentials prtg = PrtgCredentials::Read(platform);
  ConnectionProfile single, multi;
  bool read = ReadSystemProfile(profile, "PRD.P00", &single, prtg).ok();
  std::string contents;
  SystemProfileRead kind = ReadProfileForSystem(platform, "PRD.P00", &multi, &contents, prtg);
  if (read != (kind == SystemProfileRead::kValid))
    Require("single and multi-system reads disagree", profile);
  if (read && single.destination != multi.destination)
    Require("single and multi-system reads found other destinations", profile);

  // A likely typo the check warns of is a key's shape from the text, once.
  const std::vector<std::string> unknown = UnknownKeys(profile);
  for (size_t i = 0; i < unknown.size(); ++i) {
    if (unknown[i].size() != 12 || unknown[i].back() != ':' ||
        profile.find(unknown[i]) == std::string::npos)
      Require("an unknown key that is no key's shape of the profile", profile);
    if (std::find(unknown.begin(), unknown.begin() + i, unknown[i]) != unknown.begin() + i)
      Require("an unknown key named twice", profile);
  }

  // The profile's own guard line, whatever it holds, is read safely and
  // does not hold a scan for long.
  (void)GuardHolds(FindLogonGuard(profile), single);

  // A guard set on any profile holds for its logon data; a lifted one is gone.
  ProfileUpdate update;
  update.guard_change = ProfileUpdate::Guard::kSet;
  update.guard = {"20261208 10:15:00", NewLogonFingerprint(platform, single),
                  profile.substr(0, 300)};
  const std::string guarded = ApplyProfileUpdate(profile, update);
  if (read && !GuardHolds(FindLogonGuard(guarded), single))
    Require("a guard just set does not hold", profile);
  update.guard_change = ProfileUpdate::Guard::kLift;
  if (FindLogonGuard(ApplyProfileUpdate(guarded, update)))
    Require("a lifted guard is still there", profile);

  // The whole scan, in the PRTG sensor directory.
  FuzzRun fuzz;
  const std::string path = std::string(kSensorDir) + "PRD.P00";
  fuzz.platform.files[path] = profile;
  fuzz.platform.environment = platform.environment;
  if (read)
    fuzz.library.systems[single.destination].monitor_line =
        MonitorLine("1.234.567", "12", "3", "0");
  int code = fuzz.Run({"PRD"});
  CheckRun(fuzz, code, true);
  Require(RewriteFault(profile, fuzz.platform, path), profile);
  if (std::count(fuzz.platform.replaces.begin(), fuzz.platform.replaces.end(), path) > 1)
    Require("profile written twice", profile);
  return 0;
}
