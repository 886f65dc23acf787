// Output mode and profile naming: which profile file, which run, which form.
#ifndef QUILLMETER_DRIVER_PROFILE_NAMING_H_
#define QUILLMETER_DRIVER_PROFILE_NAMING_H_

#include <string>
#include <vector>

#include "base/status.h"
#include "driver/sensor_directory.h"
#include "driver/sensor_options.h"
#include "output/output_mode.h"
#include "platform/platform.h"

namespace quillmeter {

struct ProfileName {
  std::string dir;         // a directory given with the name, "" for none
  std::string name;        // the file name, with its extension
  bool item_mode = false;  // the item profile or the global listing
};

// The profile the first argument and the options name: ".P00" when the name
// has no extension, "Tessarin.Prf" with "ITEM=", "SAP Tessarin.Gbl" for
// "global", a directory split off. Fails with "Error 1008" for a name too
// long to use, naming the limit: a cut one would open another system's
// profile.
Status NameProfile(const Platform& platform, const std::string& argument,
                   const SensorOptions& options, ProfileName* naming);

// The file beside the executable that selects product mode `mode`.
std::string ModeMarkerFile(OutputMode mode);

// The product modes whose marker files lie beside the executable, in the
// order of kProductModes.
std::vector<OutputMode> MarkedOutputModes(Platform& platform);

// The product mode that marker files beside the executable select, or
// EXEXML when there is none; when several exist the last of kProductModes
// wins.
OutputMode SelectedOutputMode(Platform& platform);

// Reads the named profile into *file: in EXEXML mode from the PRTG sensor
// directory (or, with "@", where the name says), in a product mode where the
// name says. Fails with "Error 1002", naming the profile in EXEXML mode and
// the whole path in a product mode, its cause the full path tried and the
// system's reason, or as FindSensorDirectory does. *search, when given,
// receives the directory search's course, when there was one.
Status OpenProfile(Platform& platform, const SearchRoots& roots, const ProfileName& naming,
                   OutputMode mode, const SensorOptions& options, ProfileFile* file,
                   SensorDirectorySearch* search = nullptr);

}  // namespace quillmeter

#endif  // QUILLMETER_DRIVER_PROFILE_NAMING_H_
