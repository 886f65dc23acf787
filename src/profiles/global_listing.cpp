#include "profiles/global_listing.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "base/product.h"
#include "base/text.h"

namespace quillmeter {
namespace {

constexpr size_t kSensorKeyWidth = 10;
constexpr size_t kLineKeyWidth = 18;  // "# GSNG: " and the sensor key
constexpr size_t kListTextColumn = 20;
constexpr size_t kAllocationColumn = 19;
constexpr const char kItemListTag[] = "# Gsng: ";

std::string_view From(std::string_view line, size_t column) {
  return column < line.size() ? line.substr(column) : std::string_view();
}

// Refused rather than cut: a cut list would drop a system without a word,
// or end inside a name and open another system's profile.
Status AppendToList(SystemListing* listing, std::string_view text) {
  if (listing->system_list.size() + text.size() > kMaxSystemList)
    return Status::Error("Error 1027: Global Server Listing too long...");
  listing->system_list.append(text);
  return Status::Ok();
}

// Only allocations written for this product, in the form
// Sensor="SAP Quillmeter", may take over the parameters.
bool IsOwnAllocation(std::string_view text) {
  size_t at = 0;
  for (std::string_view part :
       {std::string_view("Sensor="), std::string_view("\""), std::string_view("SAP "),
        std::string_view(kProductName), std::string_view("\"")}) {
    at = text.find(part, at);
    if (at == std::string_view::npos) return false;
    at += part.size();
  }
  return true;
}

char LabelKindOf(std::string_view line) {
  char kind = '1';
  if (line.find(",Profile") != std::string_view::npos) kind = '1';
  if (line.find(",Alias") != std::string_view::npos) kind = '2';
  if (line.find(",Host") != std::string_view::npos) kind = '3';
  if (line.find(",Sid") != std::string_view::npos) kind = '4';
  return kind;
}

// The figure the allocation's "Item=" (written exactly so) names.
std::string ItemOf(std::string_view allocation) {
  size_t at = allocation.find("Item=");
  return at == std::string_view::npos ? std::string() : ItemValue(allocation.substr(at + 5));
}

Status TakeAllocation(std::string_view line, SystemListing* listing, std::string* kept) {
  std::string_view allocation = From(line, kAllocationColumn);
  if (!IsOwnAllocation(allocation))
    return Status::Error("Error 1029: Invalid Sensor-Allocation...",
                         std::string("no ,Sensor=\"SAP ") + kProductName + "\"");
  std::string parameters(allocation.substr(0, allocation.find(",Sensor=")));
  std::replace(parameters.begin(), parameters.end(), ':', ' ');
  // The allocation becomes the parameters; a cut one could lose a marker.
  if (parameters.size() > kMaxAllocationParameters)
    return Status::Error("Error 1028: Sensor-Allocation too long...");
  kept->assign(allocation);
  listing->parameters = std::move(parameters);
  listing->label_kind = LabelKindOf(line);
  return Status::Ok();
}

Status ReadItemProfile(const ListingRequest& request, const std::string& contents,
                       SystemListing* listing) {
  for (const std::string& line : SplitLines(contents)) {
    if (!StartsWith(line, kItemListTag)) continue;
    if (Status added = AppendToList(listing, From(line, kListTextColumn)); !added.ok())
      return added;
  }
  listing->item_id = request.item;
  listing->history_sensor = request.name + "/" + listing->item_id;
  return Status::Ok();
}

Status ReadGlobalListing(const ListingRequest& request, const std::string& contents,
                         SystemListing* listing) {
  std::string key = SensorKey(request.first_word);
  std::string list_key = "# GSNG: " + key;
  std::string allocation_key = "# GSNX: " + key;
  std::string kept;
  bool allocated = false;
  for (const std::string& line : SplitLines(contents)) {
    if (line.size() < kLineKeyWidth) continue;
    std::string upper = UpperCase(std::string_view(line).substr(0, kLineKeyWidth));
    Status taken;
    if (upper == list_key) {
      taken = AppendToList(listing, From(line, kListTextColumn));
    } else if (upper == allocation_key) {
      taken = TakeAllocation(line, listing, &kept);
      allocated = true;
    }
    if (!taken.ok()) return taken;
  }
  listing->item_id = ItemOf(kept);
  key.erase(key.find_last_not_of(' ') + 1);
  if (!allocated)
    return Status::Error("Error 1030: Global Sensor " + request.second_argument + " not found...",
                         key.empty() ? "no sensor key was given (the first parameter word)"
                                     : request.name + " has no line \"# GSNX: " + key + "\"");
  listing->history_sensor = request.name + ":" + key + "/" + listing->item_id;
  return Status::Ok();
}

}  // namespace

std::string ItemValue(std::string_view text) {
  std::string id;
  for (char c : text) {
    if (c == ' ' || c == ',' || id.size() == kMaxItemId) break;
    id.push_back(c == ':' ? ' ' : c);
  }
  return id;
}

std::string SensorKey(const std::string& first_word) {
  std::string key = first_word;
  if (key.size() < kSensorKeyWidth) key.resize(kSensorKeyWidth, ' ');
  return key;
}

Status ReadSystemListing(Platform& platform, const ListingRequest& request,
                         SystemListing* listing) {
  *listing = SystemListing();
  const bool global = request.name == kGlobalListingName;
  std::string contents;
  if (!platform.ReadFile(request.path, &contents).ok()) {
    // "10x1" is the number this message has always carried.
    return Status::Error(std::string(global ? "Error 10x1" : "Error 1024") + ": ProFile " +
                         request.name + " is missing...");
  }
  Status read = global ? ReadGlobalListing(request, contents, listing)
                       : ReadItemProfile(request, contents, listing);
  if (!read.ok()) return read;
  if (listing->system_list.empty())
    return Status::Error("Error 1025: Global Server Listing missing...",
                         request.name + " names no system" +
                             (global ? " for " + request.first_word : std::string()));
  if (listing->item_id.empty())
    return Status::Error("Error 1026: Global Item Idenification missing...");
  return Status::Ok();
}

std::vector<std::string> SystemNames(std::string_view system_list) {
  std::vector<std::string> names;
  for (size_t at = 0; at < system_list.size();) {
    const size_t end = std::min(system_list.find('#', at), system_list.size());
    names.emplace_back(system_list.substr(at, end - at));
    at = end + 1;
  }
  return names;
}

}  // namespace quillmeter
