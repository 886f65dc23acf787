#include "sensor_process.h"

#include <windows.h>

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

SensorOutput RunProcess(const std::string& exe, const std::vector<std::string>& args,
                        const std::string& working_dir, unsigned timeout_ms) {
  SensorOutput result;
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  Handle read_end, write_end;
  if (!CreatePipe(read_end.Out(), write_end.Out(), &inherit, 0)) {
    result.error = LastError("CreatePipe");
    return result;
  }
  SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0);
  Handle nul(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         &inherit, OPEN_EXISTING, 0, nullptr));

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul.get();
  startup.hStdOutput = write_end.get();
  startup.hStdError = nul.get();

  std::string command = QuoteArgument(exe);
  for (const std::string& arg : args) {
    command += ' ';
    command += QuoteArgument(arg);
  }
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                      nullptr, working_dir.c_str(), &startup, &process)) {
    result.error = LastError("CreateProcess") + " for " + exe;
    return result;
  }
  Handle process_handle(process.hProcess), thread_handle(process.hThread);
  write_end.Close();

  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(read_end.get(), buffer, sizeof buffer, &n, nullptr) && n > 0)
    result.out.append(buffer, n);

  if (WaitForSingleObject(process_handle.get(), timeout_ms) != WAIT_OBJECT_0) {
    TerminateProcess(process_handle.get(), 99);
    result.error = "timed out: " + command;
    return result;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_handle.get(), &code);
  result.exit_code = static_cast<int>(code);
  return result;
}

}  // namespace quillmeter
