#include "platform/fake_platform.h"

#include <cstdio>
#include <cstdlib>

namespace quillmeter {
namespace {

class FakeLibrary : public DynamicLibrary {
 public:
  FakeLibrary(const std::map<std::string, void*>& symbols, std::string path)
      : symbols_(symbols), path_(std::move(path)) {}
  Status Symbol(const char* name, void** address) override {
    auto it = symbols_.find(name);
    if (it == symbols_.end())
      return Status::Error(std::string("no symbol ") + name,
                           std::string("undefined symbol: ") + name);
    *address = it->second;
    return Status::Ok();
  }
  std::string Path() override { return path_; }

 private:
  std::map<std::string, void*> symbols_;
  std::string path_;
};

}  // namespace

Status FakePlatform::RandomBytes(size_t size, std::string* bytes) {
  if (fail_random) return Status::Error("cannot take random bytes", "switched off in the test");
  bytes->clear();
  for (size_t i = 0; i < size; ++i) bytes->push_back(static_cast<char>(random_seed++));
  return Status::Ok();
}

Status FakePlatform::LockFile(const std::string& path, const LockHolder&,
                              std::unique_ptr<FileLock>* lock) {
  locks.push_back(path);
  *lock = std::make_unique<FileLock>();
  return Status::Ok();
}

void FakePlatform::EndNow(int code) {
  // No test lets a run outlive its deadline; reaching this is a fault.
  std::fprintf(stderr, "FakePlatform::EndNow(%d)\n", code);
  std::abort();
}

Status FakePlatform::ReadFile(const std::string& path, std::string* contents) {
  reads.push_back(path);
  auto it = files.find(path);
  if (it == files.end()) return Status::Error("cannot open " + path, "No such file or directory");
  *contents = it->second;
  return Status::Ok();
}

Status FakePlatform::AtomicReplace(const std::string& path, std::string_view contents) {
  replaces.push_back(path);
  if (fail_next_replace) {
    fail_next_replace = false;
    return Status::Error("cannot create " + path + ".tmp", "Read-only file system");
  }
  files[path] = std::string(contents);
  return Status::Ok();
}

Status FakePlatform::AppendFile(const std::string& path, std::string_view data) {
  appends.push_back(path);
  files[path].append(data);
  return Status::Ok();
}

Status FakePlatform::RemoveFile(const std::string& path) {
  removes.push_back(path);
  files.erase(path);
  return Status::Ok();
}

Status FakePlatform::LoadSharedLibrary(const std::string& path,
                                       std::unique_ptr<DynamicLibrary>* library) {
  loads.push_back(path);
  auto it = libraries.find(path);
  if (it == libraries.end())
    return Status::Error("cannot load " + path,
                         path + ": cannot open shared object file: No such file or directory");
  *library = std::make_unique<FakeLibrary>(it->second, path);
  return Status::Ok();
}

}  // namespace quillmeter
