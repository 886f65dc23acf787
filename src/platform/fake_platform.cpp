#include "platform/fake_platform.h"

namespace quillmeter {
namespace {

class FakeLibrary : public DynamicLibrary {
 public:
  explicit FakeLibrary(const std::map<std::string, void*>& symbols) : symbols_(symbols) {}
  void* Symbol(const char* name, std::string* error) override {
    auto it = symbols_.find(name);
    if (it == symbols_.end()) {
      *error = std::string("undefined symbol: ") + name;
      return nullptr;
    }
    return it->second;
  }

 private:
  std::map<std::string, void*> symbols_;
};

}  // namespace

bool FakePlatform::ReadFile(const std::string& path, std::string* contents,
                            std::string* error) {
  reads.push_back(path);
  auto it = files.find(path);
  if (it == files.end()) {
    *error = "cannot open " + path + ": No such file or directory";
    return false;
  }
  *contents = it->second;
  return true;
}

bool FakePlatform::AtomicReplace(const std::string& path, std::string_view contents,
                                 std::string* error) {
  replaces.push_back(path);
  if (fail_next_replace) {
    fail_next_replace = false;
    *error = "cannot create " + path + ".tmp: Read-only file system";
    return false;
  }
  files[path] = std::string(contents);
  return true;
}

bool FakePlatform::AppendFile(const std::string& path, std::string_view data,
                              std::string*) {
  appends.push_back(path);
  files[path].append(data);
  return true;
}

bool FakePlatform::RemoveFile(const std::string& path) {
  removes.push_back(path);
  files.erase(path);
  return true;
}

std::unique_ptr<DynamicLibrary> FakePlatform::LoadSharedLibrary(const std::string& path,
                                                                std::string* error) {
  loads.push_back(path);
  auto it = libraries.find(path);
  if (it == libraries.end()) {
    *error = path + ": cannot open shared object file: No such file or directory";
    return nullptr;
  }
  return std::make_unique<FakeLibrary>(it->second);
}

}  // namespace quillmeter
