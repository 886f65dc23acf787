// The path file that names the PRTG installation directory: the input is
// its contents. Profiles lie in the default directory, under a drive and
// under a directory of their own, so every probe can succeed.
#include <string>

#include "base/text.h"
#include "driver/sensor_directory.h"
#include "fuzz_support.h"

namespace quillmeter {
namespace {

void PlaceProfiles(FakePlatform& platform) {
  for (const char* dir : {kSensorDir, "D:/PRTG Network Monitor/Custom Sensors/ExeXml/",
                          "/prtg/Custom Sensors/ExeXml/", "/prtg/", "/sensors/exexml/"})
    platform.files[std::string(dir) + "PRD.P00"] = ValidProfile();
}

}  // namespace
}  // namespace quillmeter

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillmeter;
  const std::string path_file(reinterpret_cast<const char*>(data), size);

  {
    FakePlatform platform;
    PlaceProfiles(platform);
    platform.files[platform.PrtgPathFile()] = path_file;
    ProfileFile file;
    if (FindSensorDirectory(platform, {platform.PrtgPathFile(), ""}, "PRD.P00", &file).ok()) {
      const std::string& dir = file.dir;
      if (dir.size() < 7 || UpperCase(dir.substr(dir.size() - 7)) != "EXEXML/" ||
          file.path != dir + "PRD.P00" || file.contents != ValidProfile())
        Require("profile accepted outside an ExeXml directory", file.path);
    }
  }

  FuzzRun fuzz;
  PlaceProfiles(fuzz.platform);
  fuzz.platform.files[fuzz.platform.PrtgPathFile()] = path_file;
  int code = fuzz.Run({"PRD"});
  CheckRun(fuzz, code, true);
  for (const std::string& path : fuzz.platform.replaces)
    Require(RewriteFault(ValidProfile(), fuzz.platform, path), path_file);
  return 0;
}
