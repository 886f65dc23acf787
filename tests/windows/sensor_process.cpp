#include "sensor_process.h"

#include <windows.h>

#include <cstdio>
#include <memory>

namespace quillmeter {
namespace {

// Closes a handle when it goes out of scope.
class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE* Out() { return &h_; }
  HANDLE get() const { return h_; }
  void Close() {
    if (h_ != nullptr && h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    h_ = nullptr;
  }

 private:
  HANDLE h_ = nullptr;
};

std::string LastError(const char* what) {
  return std::string(what) + " failed with error " + std::to_string(GetLastError());
}

}  // namespace

std::string QuoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  // Backslashes count only before a quote: there they are doubled.
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');
  return quoted + "\"";
}

std::string ProgramDir() {
  char buffer[MAX_PATH * 4];
  DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  std::string path(buffer, n < sizeof buffer ? n : 0);
  return path.substr(0, path.find_last_of('\\') + 1);
}

namespace {

// A started child: its process and the read end of its output pipe.
struct Child {
  Handle process, thread, output;
  std::string command;
};

// Starts `exe`; on failure returns false with *error set.
bool Start(const std::string& exe, const std::vector<std::string>& args,
           const std::string& working_dir, Child* child, std::string* error) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  Handle write_end;
  if (!CreatePipe(child->output.Out(), write_end.Out(), &inherit, 0)) {
    *error = LastError("CreatePipe");
    return false;
  }
  SetHandleInformation(child->output.get(), HANDLE_FLAG_INHERIT, 0);
  Handle nul(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         &inherit, OPEN_EXISTING, 0, nullptr));

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul.get();
  startup.hStdOutput = write_end.get();
  startup.hStdError = nul.get();

  child->command = QuoteArgument(exe);
  for (const std::string& arg : args) {
    child->command += ' ';
    child->command += QuoteArgument(arg);
  }
  PROCESS_INFORMATION process{};
  // Wine, busy with many starts at once, now and then refuses one with an
  // internal error before the program runs: that start is made again, for
  // it is no scan of the sensor's.
  for (int attempt = 1;; ++attempt) {
    if (CreateProcessA(exe.c_str(), child->command.data(), nullptr, nullptr, TRUE,
                       CREATE_NO_WINDOW, nullptr, working_dir.c_str(), &startup, &process))
      break;
    if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == 5) {
      *error = LastError("CreateProcess") + " for " + exe;
      return false;
    }
    std::fprintf(stderr, "[ wine     ] CreateProcess error 1359, started again\n");
    Sleep(20 * attempt);
  }
  *child->process.Out() = process.hProcess;
  *child->thread.Out() = process.hThread;
  return true;
}

// Reads the child's output to its end and waits for its exit code.
void Collect(Child& child, unsigned timeout_ms, SensorOutput* result) {
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(child.output.get(), buffer, sizeof buffer, &n, nullptr) && n > 0)
    result->out.append(buffer, n);
  if (WaitForSingleObject(child.process.get(), timeout_ms) != WAIT_OBJECT_0) {
    TerminateProcess(child.process.get(), 99);
    result->error = "timed out: " + child.command;
    return;
  }
  DWORD code = 0;
  GetExitCodeProcess(child.process.get(), &code);
  result->exit_code = static_cast<int>(code);
}

}  // namespace

std::vector<SensorOutput> RunProcesses(const std::string& exe, const std::vector<std::string>& args,
                                       const std::string& working_dir, size_t count,
                                       unsigned timeout_ms) {
  std::vector<SensorOutput> results(count);
  std::vector<std::unique_ptr<Child>> children;
  for (size_t i = 0; i < count; ++i) {
    children.push_back(std::make_unique<Child>());
    if (!Start(exe, args, working_dir, children.back().get(), &results[i].error))
      children.back().reset();
  }
  for (size_t i = 0; i < count; ++i)
    if (children[i] != nullptr) Collect(*children[i], timeout_ms, &results[i]);
  return results;
}

SensorOutput RunProcess(const std::string& exe, const std::vector<std::string>& args,
                        const std::string& working_dir, unsigned timeout_ms) {
  return RunProcesses(exe, args, working_dir, 1, timeout_ms)[0];
}

}  // namespace quillmeter
