// Windows workers: CreateProcess with pipes, inside a job object that kills
// every worker when the starter's handle to it closes, that is when the
// starter ends, however it ends.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

#include "platform/error-win32.h"
#include "platform/process.h"

namespace quillmeter {
namespace {

Status LastError(const std::string& what) {
  return Status::Error(what, WindowsErrorText(GetLastError()));
}

// The job of this process's workers; its handle is never closed, so the
// system closes it, and kills the workers, when this process ends.
HANDLE WorkerJob() {
  static HANDLE job = [] {
    HANDLE created = CreateJobObjectA(nullptr, nullptr);
    if (created != nullptr) {
      JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
      limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
      SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    return created;
  }();
  return job;
}

// Handles made inheritable for one worker must not reach another started
// at the same moment.
std::mutex& StartLock() {
  static std::mutex lock;
  return lock;
}

class WindowsChild : public ChildProcess {
 public:
  WindowsChild(HANDLE process, HANDLE input, HANDLE output)
      : process_(process), input_(input), output_(output) {}
  ~WindowsChild() override {
    if (input_ != nullptr) CloseHandle(input_);
    Kill();
    WaitForSingleObject(process_, INFINITE);
    if (output_ != nullptr) CloseHandle(output_);
    CloseHandle(process_);
  }

  Status Send(std::string_view data) override {
    while (!data.empty()) {
      DWORD n = 0;
      DWORD chunk = data.size() > (1u << 20) ? (1u << 20) : static_cast<DWORD>(data.size());
      if (input_ == nullptr || !WriteFile(input_, data.data(), chunk, &n, nullptr) || n == 0)
        return LastError("cannot write to the worker");
      data.remove_prefix(n);
    }
    return Status::Ok();
  }

  void CloseInput() override {
    if (input_ != nullptr) CloseHandle(input_);
    input_ = nullptr;
  }

  bool Receive(std::string* output) override {
    char buffer[16 * 1024];
    DWORD n = 0;
    if (!ReadFile(output_, buffer, sizeof buffer, &n, nullptr) || n == 0) return false;
    output->append(buffer, n);
    return true;
  }

  int Wait() override {
    WaitForSingleObject(process_, INFINITE);
    DWORD code = 0;
    if (killed_ || !GetExitCodeProcess(process_, &code)) return -1;
    return static_cast<int>(code);
  }

  void Kill() override {
    DWORD code = 0;
    if (GetExitCodeProcess(process_, &code) && code == STILL_ACTIVE) {
      killed_ = true;
      TerminateProcess(process_, 1);
    }
  }

 private:
  HANDLE process_;
  HANDLE input_;
  HANDLE output_;
  std::atomic<bool> killed_{false};
};

// Makes `name` the lock file's content. A name that cannot be written
// leaves waiters without one.
void WriteHolder(HANDLE file, const std::string& name) {
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN) || !SetEndOfFile(file)) return;
  DWORD written = 0;
  if (!name.empty())
    WriteFile(file, name.data(), static_cast<DWORD>(name.size()), &written, nullptr);
}

// Longest holder name read from a lock file.
constexpr DWORD kMaxHolderName = 64;

std::string ReadHolder(HANDLE file) {
  char buffer[kMaxHolderName];
  OVERLAPPED at{};  // from the start of the file
  DWORD n = 0;
  if (!ReadFile(file, buffer, sizeof buffer, &n, &at)) return std::string();
  return std::string(buffer, n);
}

// The holder's name stays in the lock file while the lock is held: it is
// emptied before the release, so a name read there is the holder's.
class WindowsLock : public FileLock {
 public:
  explicit WindowsLock(HANDLE file) : file_(file) {}
  ~WindowsLock() override {
    WriteHolder(file_, "");
    CloseHandle(file_);  // closing releases the lock
  }

 private:
  HANDLE file_;
};

// Windows' locks bar reading the bytes they cover: the lock covers one byte
// far beyond any name, so the holder's name stays readable.
bool LockByte(HANDLE file, DWORD flags) {
  OVERLAPPED at{};
  at.OffsetHigh = 0x7FFFFFFF;
  return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | flags, 0, 1, 0, &at) != 0;
}

}  // namespace

Status StartWorkerProcess(const std::string& executable, const std::vector<std::string>& arguments,
                          std::unique_ptr<ChildProcess>* child) {
  // The worker's arguments are the sensor's own: no blank or quote in them.
  std::string command = "\"" + executable + "\"";
  for (const std::string& argument : arguments) command += " " + argument;

  std::lock_guard<std::mutex> hold(StartLock());
  HANDLE input_read, input_write, output_read, output_write;
  if (!CreatePipe(&input_read, &input_write, nullptr, 0)) return LastError("cannot start a worker");
  if (!CreatePipe(&output_read, &output_write, nullptr, 0)) {
    Status error = LastError("cannot start a worker");
    CloseHandle(input_read);
    CloseHandle(input_write);
    return error;
  }
  SetHandleInformation(input_read, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  SetHandleInformation(output_write, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input_read;
  startup.hStdOutput = output_write;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  // Suspended until it is in the job, so it cannot outlive us even then.
  BOOL started =
      CreateProcessA(executable.c_str(), command.data(), nullptr, nullptr, TRUE,
                     CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  Status status = started ? Status::Ok() : LastError("cannot start a worker");
  CloseHandle(input_read);
  CloseHandle(output_write);
  if (!started) {
    CloseHandle(input_write);
    CloseHandle(output_read);
    return status;
  }
  HANDLE job = WorkerJob();
  if (job == nullptr || !AssignProcessToJobObject(job, process.hProcess)) {
    // A worker that could outlive the run is not started at all.
    status = LastError("cannot bind a worker to the run");
    TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(input_write);
    CloseHandle(output_read);
    return status;
  }
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);
  *child = std::make_unique<WindowsChild>(process.hProcess, input_write, output_read);
  return Status::Ok();
}

Status LockWholeFile(const std::string& path, const LockHolder& holder,
                     std::unique_ptr<FileLock>* lock) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastError("cannot open " + path);
  if (!LockByte(file, LOCKFILE_FAIL_IMMEDIATELY)) {
    if (holder.waiting) holder.waiting(ReadHolder(file));
    if (!LockByte(file, 0)) {
      Status error = LastError("cannot lock " + path);
      CloseHandle(file);
      return error;
    }
  }
  WriteHolder(file, holder.name);
  *lock = std::make_unique<WindowsLock>(file);
  return Status::Ok();
}

void EndProcessNow(int code) {
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
  for (;;) Sleep(INFINITE);  // never reached
}

}  // namespace quillmeter
