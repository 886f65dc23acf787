#include "driver/profile_naming.h"

#include "base/product.h"
#include "base/text.h"
#include "driver/command_line.h"
#include "profiles/global_listing.h"

namespace quillmeter {
namespace {

void AppendDefaultExtension(std::string& name) {
  if (name.size() < 4 || name[name.size() - 4] != '.') name += ".P00";
}

void SelectGlobalListing(ProfileName* naming) {
  if (UpperCase(naming->name) == "GLOBAL.P00") {
    naming->item_mode = true;
    naming->name = kGlobalListingName;
  }
}

}  // namespace

Status NameProfile(const Platform& platform, const std::string& argument,
                   const SensorOptions& options, ProfileName* naming) {
  *naming = ProfileName();
  naming->name = argument;
  if (options.item) {
    naming->item_mode = true;
    naming->name = kItemProfileName;
  }
  AppendDefaultExtension(naming->name);
  SelectGlobalListing(naming);

  const std::string name = naming->name;
  for (size_t i = name.size(); i > 1; --i) {
    if (platform.IsPathSeparator(name[i - 1])) {
      naming->dir = name.substr(0, i);
      naming->name = name.substr(i);
      break;
    }
  }
  SelectGlobalListing(naming);

  const char* too_long = "Error 1008: Profile-Name too long !";
  if (naming->name.size() > kMaxProfileName)
    return Status::Error(too_long, "the profile name has " + std::to_string(naming->name.size()) +
                                       " characters with its extension, at most " +
                                       std::to_string(kMaxProfileName));
  if (naming->dir.size() > kMaxProfileDir)
    return Status::Error(too_long, "the directory has " + std::to_string(naming->dir.size()) +
                                       " characters, at most " + std::to_string(kMaxProfileDir));
  return Status::Ok();
}

std::string ModeMarkerFile(OutputMode mode) {
  return std::string(kProductName) + "." + std::string(OutputModeName(mode));
}

std::vector<OutputMode> MarkedOutputModes(Platform& platform) {
  const std::string dir = platform.ExecutableDir();
  std::vector<OutputMode> marked;
  if (dir.empty()) return marked;
  std::string contents;
  for (OutputMode product : kProductModes)
    if (platform.ReadFile(dir + ModeMarkerFile(product), &contents).ok()) marked.push_back(product);
  return marked;
}

OutputMode SelectedOutputMode(Platform& platform) {
  const std::vector<OutputMode> marked = MarkedOutputModes(platform);
  return marked.empty() ? OutputMode::kExeXml : marked.back();
}

Status OpenProfile(Platform& platform, const SearchRoots& roots, const ProfileName& naming,
                   OutputMode mode, const SensorOptions& options, ProfileFile* file,
                   SensorDirectorySearch* search) {
  if (mode == OutputMode::kExeXml && !options.open_in_place)
    return FindSensorDirectory(platform, roots, naming.name, file, search);

  file->dir = naming.dir;
  file->name = naming.name;
  file->path = naming.dir + naming.name;
  if (Status read = platform.ReadFile(file->path, &file->contents); !read.ok()) {
    // The product modes name the whole path; the PRTG mode names the profile.
    const std::string& shown = mode == OutputMode::kExeXml ? file->name : file->path;
    return Status::Error("Error 1002: Profile " + shown + " is missing...",
                         platform.FullPath(file->path) + ": " + read.cause());
  }
  return Status::Ok();
}

}  // namespace quillmeter
