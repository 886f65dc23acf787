#include "profiles/global_listing.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "base/text.h"
#include "driver/command_line.h"
#include "driver/run.h"
#include "output/document.h"

namespace quillmeter {
namespace {

constexpr size_t kSensorKeyWidth = 10;
constexpr size_t kLineKeyWidth = 18;  // "# GSNG: " and the sensor key
constexpr size_t kListTextColumn = 20;
constexpr size_t kAllocationColumn = 19;
constexpr const char kItemListTag[] = "# Gsng: ";

bool Fail(RunState& run, const std::string& message) {
  SetErrorResult(run, message);
  return false;
}

std::string_view From(std::string_view line, size_t column) {
  return column < line.size() ? line.substr(column) : std::string_view();
}

// Refused rather than cut: a cut list would drop a system without a word,
// or end inside a name and open another system's profile.
bool AppendToList(RunState& run, std::string_view text) {
  if (run.system_list.size() + text.size() > kMaxSystemList)
    return Fail(run, "Error 1027: Global Server Listing too long...");
  run.system_list.append(text);
  return true;
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

bool TakeAllocation(RunState& run, std::string_view line, std::string* kept) {
  std::string_view allocation = From(line, kAllocationColumn);
  if (!IsOwnAllocation(allocation)) return Fail(run, "Error 1029: Invalid Sensor-Allocation...");
  std::string parameters(allocation.substr(0, allocation.find(",Sensor=")));
  std::replace(parameters.begin(), parameters.end(), ':', ' ');
  // The allocation becomes the parameters; a cut one could lose a marker.
  if (parameters.size() > kMaxParameters)
    return Fail(run, "Error 1028: Sensor-Allocation too long...");
  kept->assign(allocation);
  run.options = AllocationOptions(run.options, parameters);
  run.item_found = true;
  run.label_kind = LabelKindOf(line);
  return true;
}

bool ReadItemProfile(RunState& run, const std::string& contents) {
  for (const std::string& line : SplitLines(contents)) {
    if (StartsWith(line, kItemListTag) && !AppendToList(run, From(line, kListTextColumn)))
      return false;
  }
  run.item_history_name = run.profile_name + "/" + run.item_id;
  return true;
}

bool ReadGlobalListing(RunState& run, const std::string& contents) {
  std::string key = SensorKey(run.options.first_word);
  std::string list_key = "# GSNG: " + key;
  std::string allocation_key = "# GSNX: " + key;
  std::string kept;
  for (const std::string& line : SplitLines(contents)) {
    if (line.size() < kLineKeyWidth) continue;
    std::string upper = UpperCase(std::string_view(line).substr(0, kLineKeyWidth));
    if (upper == list_key) {
      if (!AppendToList(run, From(line, kListTextColumn))) return false;
    } else if (upper == allocation_key) {
      if (!TakeAllocation(run, line, &kept)) return false;
    }
  }
  run.item_id = ItemOf(kept);
  if (!run.item_found) {
    std::string argument = run.arguments.size() > 1 ? run.arguments[1] : std::string();
    return Fail(run, "Error 1030: Global Sensor " + argument + " not found...");
  }
  key.erase(key.find_last_not_of(' ') + 1);
  run.item_history_name = run.profile_name + ":" + key + "/" + run.item_id;
  return true;
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

bool BuildSystemList(RunState& run) {
  run.system_list.clear();
  run.label_kind = '1';
  run.item_found = false;
  bool global = run.profile_name == kGlobalListingName;
  if (global) run.item_id.clear();

  std::string contents;
  if (!run.platform.ReadFile(run.profile_path, &contents).ok()) {
    // "10x1" is the number this message has always carried.
    return Fail(run, std::string(global ? "Error 10x1" : "Error 1024") + ": ProFile " +
                         run.profile_name + " is missing...");
  }
  if (!(global ? ReadGlobalListing(run, contents) : ReadItemProfile(run, contents))) return false;
  if (run.system_list.empty()) return Fail(run, "Error 1025: Global Server Listing missing...");
  if (run.item_id.empty()) return Fail(run, "Error 1026: Global Item Idenification missing...");
  return true;
}

}  // namespace quillmeter
