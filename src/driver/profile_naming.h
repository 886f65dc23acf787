// Output mode and profile naming: which profile file, which run, which form.
#ifndef QUILLMETER_DRIVER_PROFILE_NAMING_H_
#define QUILLMETER_DRIVER_PROFILE_NAMING_H_

#include <string>

#include "driver/run_state.h"

namespace quillmeter {

// File names an installation places beside the executable to select a
// console product mode; when several exist the last of this order wins.
inline constexpr const char* kModeMarkerFiles[] = {"Quillmeter.Vorlind", "Quillmeter.Quintara",
                                                   "Quillmeter.Talvren", "Quillmeter.Drovimo"};

// Applies the parameter keys and markers ("ITEM=", "#", "@", "$", "%") and
// the naming rules (".P00", the global listing, a directory in the name) to
// ProfileName; sets ItemId, ItemMode, ConsoleTrace and ProfileDir. Returns
// false with the error result set when a name is too long to use.
bool NameProfile(RunState& run);

// The product mode that marker files beside the executable select, or
// EXEXML when there is none.
OutputMode SelectedOutputMode(Platform& platform);

// Settles the output mode and reads the profile into run.profile_contents:
// in EXEXML mode from the PRTG sensor directory (or, with "@", from
// ProfileDir + ProfileName), in a product mode from ProfileDir +
// ProfileName. Returns false with the error result set when it is missing.
bool OpenProfile(RunState& run);

}  // namespace quillmeter

#endif  // QUILLMETER_DRIVER_PROFILE_NAMING_H_
