// An in-memory platform for tests: files live in a map, the clock stands
// still, every call is recorded, and failures can be switched on.
#ifndef QUILLMETER_PLATFORM_FAKE_PLATFORM_H_
#define QUILLMETER_PLATFORM_FAKE_PLATFORM_H_

#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace quillmeter {

// Thrown by FakePlatform::Exit, so a test sees the exit code of a handler
// that would end the process.
struct ExitCalled {
  int code;
};

class FakePlatform : public Platform {
 public:
  Status ReadFile(const std::string& path, std::string* contents) override;
  Status AtomicReplace(const std::string& path, std::string_view contents) override;
  Status AppendFile(const std::string& path, std::string_view data) override;
  Status RemoveFile(const std::string& path) override;
  ClockTime Now() override { return now; }
  std::string ExecutableDir() override { return executable_dir; }
  std::string EnvironmentValue(const std::string& name) override {
    environment_reads.push_back(name);
    auto it = environment.find(name);
    return it == environment.end() ? std::string() : it->second;
  }
  // Counts up from random_seed, so that two salts differ and a test can
  // tell which it got.
  Status RandomBytes(size_t size, std::string* bytes) override;

  std::string FullPath(const std::string& path) override {
    return !path.empty() && path[0] == '/' ? path : current_dir + path;
  }
  std::string ExecutablePath() override { return executable_dir + "quillmeter"; }
  Status LoadSharedLibrary(const std::string& path,
                           std::unique_ptr<DynamicLibrary>* library) override;
  // No worker processes in tests: the runs take an in-process worker.
  Status StartWorker(const std::vector<std::string>&, std::unique_ptr<ChildProcess>*) override {
    return Status::Error("cannot start a worker", "not in tests");
  }
  Status LockFile(const std::string& path, const LockHolder&,
                  std::unique_ptr<FileLock>* lock) override;
  void PutFirstOnSearchPath(const std::string& folder) override {
    search_path.insert(search_path.begin(), folder);
  }
  [[noreturn]] void EndNow(int code) override;
  char PathSeparator() const override { return '/'; }
  bool IsPathSeparator(char c) const override { return c == '/'; }
  std::string PrtgPathFile() const override { return "/PRTG_Path.Txt"; }

  std::map<std::string, std::string> files;
  ClockTime now{2026, 12, 7, 10, 11, 12};
  std::string executable_dir = "/opt/quillmeter/";
  std::string current_dir = "/work/";
  std::map<std::string, std::string> environment;
  unsigned char random_seed = 0;
  bool fail_random = false;

  // Symbols served per library path; a path not listed fails to load.
  std::map<std::string, std::map<std::string, void*>> libraries;

  // What the sensor did, in order.
  std::vector<std::string> reads;
  std::vector<std::string> replaces;
  std::vector<std::string> appends;
  std::vector<std::string> removes;
  std::vector<std::string> loads;
  std::vector<std::string> locks;
  std::vector<std::string> environment_reads;
  // The folders put in front of the search path, the latest first.
  std::vector<std::string> search_path;

  // The next AtomicReplace fails and leaves the file as it was.
  bool fail_next_replace = false;

 protected:
  void Exit(int code) override { throw ExitCalled{code}; }
};

}  // namespace quillmeter

#endif  // QUILLMETER_PLATFORM_FAKE_PLATFORM_H_
