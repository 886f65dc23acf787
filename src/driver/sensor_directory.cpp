#include "driver/sensor_directory.h"

#include "base/text.h"
#include "driver/command_line.h"
#include "output/result_writer.h"
#include "output/xml_text.h"

namespace quillmeter {
namespace {

std::string Join(const Platform& platform, std::initializer_list<const char*> parts) {
  std::string path;
  for (const char* part : parts) {
    path += part;
    path += platform.PathSeparator();
  }
  return path;
}

// A path file line names a directory when it starts with a separator or
// with a drive ("D:" or "D:\").
bool NamesDirectory(const Platform& p, const std::string& line) {
  return (line.size() > 0 && p.IsPathSeparator(line[0])) || (line.size() > 1 && line[1] == ':') ||
         (line.size() > 2 && p.IsPathSeparator(line[2]));
}

// "Error 1002" naming the directories searched: whole ones only, as many as
// PRTG's text holds, then "..." for the rest.
Status MissingProfile(const std::string& name, const std::vector<std::string>& searched) {
  const std::string message = "Error 1002: Profile " + name + " is missing...";
  auto fits = [&](const std::string& cause) {
    return EscapeXml(message + " - " + cause).size() <= kMaxPrtgText;
  };
  std::string cause = "searched: ";
  for (size_t i = 0; i < searched.size(); ++i) {
    std::string longer = cause + (i == 0 ? "" : "; ") + searched[i];
    const bool last = i + 1 == searched.size();
    if (!fits(last ? longer : longer + "; ...")) {
      cause += i == 0 ? "..." : "; ...";
      break;
    }
    cause = std::move(longer);
  }
  return Status::Error(message, cause);
}

}  // namespace

std::vector<std::string> DefaultSensorDirectories(const Platform& platform,
                                                  const std::string& drive_root) {
  std::string root = drive_root + platform.PathSeparator();
  std::vector<std::string> dirs;
  for (const char* programs : {"Programme", "Program Files", "Program Files (x86)"})
    dirs.push_back(root +
                   Join(platform, {programs, "PRTG Network Monitor", "Custom Sensors", "ExeXml"}));
  return dirs;
}

Status FindSensorDirectory(Platform& platform, const SearchRoots& roots, const std::string& name,
                           ProfileFile* file, SensorDirectorySearch* search) {
  SensorDirectorySearch unused;
  if (search == nullptr) search = &unused;
  *search = SensorDirectorySearch();
  // Opens dir + name; on success the profile is read. The directories
  // probed are the cause of a missing profile.
  std::vector<std::string>& searched = search->searched;
  auto probe = [&](const std::string& dir) {
    searched.push_back(platform.FullPath(dir));
    return platform.ReadFile(dir + name, &file->contents).ok();
  };
  auto missing = [&] { return MissingProfile(name, searched); };
  std::string dir;
  std::string path_file;
  bool named = false;
  if (platform.ReadFile(roots.path_file, &path_file).ok()) {
    for (const std::string& line : SplitLines(path_file)) {
      if (line.size() <= kMaxProfileDir && NamesDirectory(platform, line)) {
        dir = line;
        named = true;
      }
    }
  }
  // A path file that names no directory counts as absent.
  bool found = false;
  if (named) {
    if (!platform.IsPathSeparator(dir.back())) dir += platform.PathSeparator();
    for (const std::string& sub :
         {Join(platform, {"PRTG Network Monitor", "Custom Sensors", "ExeXml"}),
          Join(platform, {"Custom Sensors", "ExeXml"})}) {
      if (probe(dir + sub)) dir += sub;
    }
    search->rule = "the path file " + platform.FullPath(roots.path_file);
    if (!probe(dir)) return missing();
    found = true;
  } else {
    search->rule = "the current folder";
    found = probe(dir);
  }
  if (!found) {
    for (const std::string& candidate : DefaultSensorDirectories(platform, roots.drive_root)) {
      if (probe(candidate)) {
        search->rule = "the default folder";
        dir = candidate;
        found = true;
        break;
      }
    }
    if (!found) return missing();
  }

  // Only an ExeXml sensor directory may serve PRTG: the six characters
  // before the final separator must read EXEXML. The current directory is
  // judged by its full name, as PRTG may start sensors in that folder.
  const std::string full = platform.FullPath(dir);
  const std::string& judged = dir.empty() ? full : dir;
  if (judged.size() < 7 || UpperCase(judged.substr(judged.size() - 7, 6)) != "EXEXML")
    return Status::Error("Sorry, invalid Path-Usage...", "not an EXEXML sensor folder: " + full);
  file->dir = dir;
  file->name = name;
  file->path = dir + name;
  return Status::Ok();
}

}  // namespace quillmeter
