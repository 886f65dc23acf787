#include "rfc/library_loading.h"

#include "rfc/library_architecture.h"

namespace quillmeter {
namespace {

// The system's reason for a failed load, naming the path: POSIX's text
// names it already, Windows' does not.
std::string Attempt(const std::string& path, const Status& status) {
  return status.cause().find(path) != std::string::npos ? status.cause() : status.Text();
}

std::string FolderOf(Platform& platform, const std::string& path) {
  size_t end = path.size();
  while (end > 0 && !platform.IsPathSeparator(path[end - 1])) --end;
  while (end > 1 && platform.IsPathSeparator(path[end - 1])) --end;
  return path.substr(0, end);
}

}  // namespace

Status LoadVendorLibrary(Platform& platform, const std::string& file, bool folder_first,
                         LoadedLibrary* loaded) {
  const std::string beside = platform.ExecutableDir() + file;
  std::string path = beside;
  if (folder_first) platform.PutFirstOnSearchPath(FolderOf(platform, beside));
  Status beside_load = platform.LoadSharedLibrary(beside, &loaded->module);
  Status search_load;
  if (loaded->module == nullptr && beside != file) {
    path = file;
    search_load = platform.LoadSharedLibrary(file, &loaded->module);
  }
  if (loaded->module == nullptr) {
    std::string message =
        "Error 1040: RFC library " + file + " cannot be loaded (" + Attempt(beside, beside_load);
    if (!search_load.ok()) message += "; " + Attempt(file, search_load);
    std::string other = OtherArchitectureError(platform, {beside, platform.FindLibrary(file)});
    return Status::Error(other.empty() ? message + ") !" : other);
  }
  std::string found = loaded->module->Path();
  loaded->path = path;
  loaded->full_path = found.empty() ? path : found;
  if (folder_first && path == file && !found.empty())
    platform.PutFirstOnSearchPath(FolderOf(platform, found));
  return Status::Ok();
}

Status MissingOperation(const std::string& path, const char* name, const std::string& reason) {
  return Status::Error("Error 1041: RFC library " + path + " lacks the operation " + name + " (" +
                       reason + ") !");
}

}  // namespace quillmeter
