// The global server listing and the item profile, and the multi-system run
// over the systems they name. The input is the listing's text, NUL, and the
// parameter words; an even length reads it as the global listing, an odd
// one as the item profile with the first word as the figure.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "driver/profile_naming.h"
#include "fuzz_support.h"
#include "profiles/global_listing.h"

namespace quillmeter {
namespace {

// Three systems, two whole and one without a user, in the sensor directory
// and in the working directory (where "@" looks).
void PlaceSystems(FakePlatform& platform) {
  std::string qas = ValidProfile();
  qas.replace(qas.find("PRD"), 3, "QAS");
  std::string bad = ValidProfile();
  bad.erase(bad.find("User"), bad.find('\n', bad.find("User")) - bad.find("User") + 1);
  for (const std::string& dir : {std::string(kSensorDir), std::string()}) {
    platform.files[dir + "PRD.P00"] = ValidProfile();
    platform.files[dir + "QAS.P00"] = qas + "# Alm Tessarin.Prf/LogWrites Date=20261207 x\n";
    platform.files[dir + "BAD.P00"] = bad;
  }
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  size_t start = 0;
  while (words.size() < 2 && start <= text.size()) {
    size_t end = std::min(text.find(' ', start), text.size());
    words.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

void CheckList(const SystemListing& listing) {
  if (listing.system_list.empty() || listing.system_list.size() > kMaxSystemList)
    Require("system list empty or beyond its room", listing.system_list);
  if (listing.item_id.empty() || listing.item_id.size() > kMaxItemId ||
      listing.item_id.find(':') != std::string::npos)
    Require("item id empty, too long or holding ':'", listing.item_id);
  if (listing.parameters && listing.parameters->size() > kMaxParameters)
    Require("allocation parameters out of bounds", *listing.parameters);
  if (listing.label_kind < '1' || listing.label_kind > '4')
    Require("label kind out of range", std::string(1, listing.label_kind));
}

}  // namespace
}  // namespace quillmeter

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillmeter;
  std::vector<std::string> parts = SplitInput(data, size, '\0', 2);
  parts.resize(2);
  const std::string& listing_text = parts[0];
  const bool global = size % 2 == 0;
  const std::string file = global ? "SAP Tessarin.Gbl" : "Tessarin.Prf";
  std::vector<std::string> args = {global ? "global" : "x"};
  for (const std::string& word : Words(parts[1])) args.push_back(word);
  if (!global) args[1] = "ITEM=" + args[1];

  {
    FakePlatform platform;
    CommandLine line;
    ProfileName naming;
    if (ReadCommandLine(args, &line).ok() &&
        NameProfile(platform, line.profile, line.options, &naming).ok()) {
      ListingRequest request{naming.dir + naming.name, naming.name, line.options.first_word,
                             line.options.item.value_or(""), line.second_argument};
      platform.files[request.path] = listing_text;
      SystemListing read;
      if (ReadSystemListing(platform, request, &read).ok()) CheckList(read);
    }
  }

  FuzzRun fuzz;
  PlaceSystems(fuzz.platform);
  std::map<std::string, std::string> before = fuzz.platform.files;
  fuzz.platform.files[std::string(kSensorDir) + file] = listing_text;
  fuzz.platform.files[file] = listing_text;
  int code = fuzz.Run(args);
  bool trace = parts[1].find_first_of("#@$%") != std::string::npos;
  CheckRun(fuzz, code, !trace);
  if (trace && code != 1 && parts[1].find_first_of("\r\n") == std::string::npos) {
    std::string out = fuzz.out.str();
    Require(TracedDocumentFault(out), out);
  }
  for (const auto& [path, contents] : before)
    Require(RewriteFault(contents, fuzz.platform, path), listing_text);
  return 0;
}
