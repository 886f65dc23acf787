// Loading a vendor library at run time, for both backends: beside the
// executable first, then on the system's search path, and the one message
// for a library that cannot be loaded.
#ifndef QUILLMETER_RFC_LIBRARY_LOADING_H_
#define QUILLMETER_RFC_LIBRARY_LOADING_H_

#include <cstring>
#include <memory>
#include <string>

#include "base/status.h"
#include "platform/platform.h"

namespace quillmeter {

struct LoadedLibrary {
  std::unique_ptr<DynamicLibrary> module;
  std::string path;       // as it was loaded: beside the executable, or the bare name
  std::string full_path;  // as the system names the file loaded, else `path`
};

// Loads `file` from the executable's own folder, else by its bare name from
// the search path. With `folder_first` the library's folder is put in front
// of the search variables (before the load where it is known, so that a
// runtime the library starts reads it). Fails with "Error 1040: RFC library
// <file> cannot be loaded (<each attempt's reason>) !", or the bitness
// message when the file found is for the other machine.
Status LoadVendorLibrary(Platform& platform, const std::string& file, bool folder_first,
                         LoadedLibrary* loaded);

// The one place where a symbol address becomes a function pointer. Both
// have the size of a data pointer on every platform the sensor runs on.
template <typename Function>
Status ResolveOperation(DynamicLibrary& module, const char* name, Function* function) {
  static_assert(sizeof(Function) == sizeof(void*));
  void* address = nullptr;
  Status found = module.Symbol(name, &address);
  if (found.ok()) std::memcpy(function, &address, sizeof *function);
  return found;
}

// "Error 1041: RFC library <path> lacks the operation <name> (<reason>) !"
Status MissingOperation(const std::string& path, const char* name, const std::string& reason);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_LIBRARY_LOADING_H_
