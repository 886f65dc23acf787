// The item profile and the global server listing: which systems a
// multi-system sensor reports on, which figure, and how it names them.
#ifndef QUILLMETER_PROFILES_GLOBAL_LISTING_H_
#define QUILLMETER_PROFILES_GLOBAL_LISTING_H_

#include <string>
#include <string_view>

#include "driver/run_state.h"

namespace quillmeter {

inline constexpr const char kItemProfileName[] = "Tessarin.Prf";
inline constexpr const char kGlobalListingName[] = "SAP Tessarin.Gbl";

// Room of SystemList, the names of all systems with their "#" ends.
inline constexpr size_t kMaxSystemList = 2047;

// Longest figure name an "Item=" key gives.
inline constexpr size_t kMaxItemId = 90;

// The figure an "Item=" key names: its value up to a blank or comma, at most
// kMaxItemId characters, each ":" read as a blank. `text` starts at the value.
std::string ItemValue(std::string_view text);

// The sensor key of the global listing: the first parameter word (upper
// case) padded with blanks to 10 characters. A longer word is returned
// whole, and then matches no line, since a listing line has room for 10.
std::string SensorKey(const std::string& first_word);

// Reads the item profile or, when ProfileName is the global listing, the
// listing at ProfilePath: fills SystemList, ItemId, LabelKind, ItemFound and
// item_history_name; an allocation line replaces the run's options.
// Returns false with the error result set.
bool BuildSystemList(RunState& run);

}  // namespace quillmeter

#endif  // QUILLMETER_PROFILES_GLOBAL_LISTING_H_
