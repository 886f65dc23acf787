// The item profile and the global server listing: which systems a
// multi-system sensor reports on, which figure, and how it names them.
#ifndef QUILLMETER_PROFILES_GLOBAL_LISTING_H_
#define QUILLMETER_PROFILES_GLOBAL_LISTING_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "platform/platform.h"

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

// The allocation stands in for the parameter words, which hold at most
// this many characters.
inline constexpr size_t kMaxAllocationParameters = 127;

struct ListingRequest {
  std::string path;             // where the file is
  std::string name;             // kItemProfileName or kGlobalListingName
  std::string first_word;       // the global listing's sensor key, upper case
  std::string item;             // the figure "ITEM=" named, for the item profile
  std::string second_argument;  // the command line's, as given: message 1030 names it
};

// Which systems a multi-system sensor reports on, and how.
struct SystemListing {
  std::string system_list;     // profile names, each followed by "#"
  std::string item_id;         // the figure to report
  char label_kind = '1';       // channels named by 1 profile, 2 alias, 3 host, 4 destination
  std::string history_sensor;  // names the sensor in its history lines
  // The allocation's text, which stands in for the parameter words.
  std::optional<std::string> parameters;
};

// The profile names of a system list ("PRD.P00#QAS.P00#"), in order: each
// the text up to its "#", or the rest.
std::vector<std::string> SystemNames(std::string_view system_list);

// Reads the item profile or the global listing (by request.name). Fails with
// the listing's numbered message (1024 to 1030, "10x1"); 1025, 1029 and 1030
// say what the file lacks.
Status ReadSystemListing(Platform& platform, const ListingRequest& request, SystemListing* listing);

}  // namespace quillmeter

#endif  // QUILLMETER_PROFILES_GLOBAL_LISTING_H_
