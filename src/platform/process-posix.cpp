// POSIX workers: fork and exec with pipes; the kernel kills a worker whose
// starter dies (PR_SET_PDEATHSIG on Linux), so none outlives the run even
// when PRTG kills the sensor outright.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/process.h"

namespace quillmeter {
namespace {

Status ErrnoError(const std::string& what) { return Status::Error(what, std::strerror(errno)); }

class PosixChild : public ChildProcess {
 public:
  PosixChild(pid_t pid, int input, int output) : pid_(pid), input_(input), output_(output) {}
  ~PosixChild() override {
    if (input_ >= 0) close(input_);
    if (output_ >= 0) close(output_);
    if (!reaped_) {
      Kill();
      Wait();
    }
  }

  Status Send(std::string_view data) override {
    while (!data.empty()) {
      ssize_t n = input_ < 0 ? -1 : write(input_, data.data(), data.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return ErrnoError("cannot write to the worker");
      data.remove_prefix(static_cast<size_t>(n));
    }
    return Status::Ok();
  }

  void CloseInput() override {
    if (input_ >= 0) close(input_);
    input_ = -1;
  }

  bool Receive(std::string* output) override {
    char buffer[16 * 1024];
    for (;;) {
      ssize_t n = read(output_, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      output->append(buffer, static_cast<size_t>(n));
      return true;
    }
  }

  int Wait() override {
    if (reaped_) return exit_code_;
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
    exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return exit_code_;
  }

  void Kill() override {
    if (!reaped_) kill(pid_, SIGKILL);
  }

 private:
  pid_t pid_;
  int input_;
  int output_;
  std::atomic<bool> reaped_{false};
  int exit_code_ = -1;
};

// Makes `name` the lock file's content. A name that cannot be written
// leaves waiters without one.
void WriteHolder(int fd, std::string_view name) {
  if (ftruncate(fd, 0) != 0 || name.empty()) return;
  ssize_t written = pwrite(fd, name.data(), name.size(), 0);
  (void)written;
}

// The holder's name stays in the lock file while the lock is held: it is
// emptied before the release, so a name read there is the holder's.
class PosixLock : public FileLock {
 public:
  explicit PosixLock(int fd) : fd_(fd) {}
  ~PosixLock() override {
    WriteHolder(fd_, "");
    close(fd_);  // closing releases the lock
  }

 private:
  int fd_;
};

// Longest holder name read from a lock file.
constexpr size_t kMaxHolderName = 64;

std::string ReadHolder(int fd) {
  char buffer[kMaxHolderName];
  ssize_t n;
  while ((n = pread(fd, buffer, sizeof buffer, 0)) < 0 && errno == EINTR) {
  }
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

}  // namespace

Status StartWorkerProcess(const std::string& executable, const std::vector<std::string>& arguments,
                          std::unique_ptr<ChildProcess>* child) {
  // A worker that ends early must not end its starter through SIGPIPE.
  signal(SIGPIPE, SIG_IGN);
  std::vector<std::string> copies = arguments;
  std::string program = executable;
  std::vector<char*> argv = {program.data()};
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);

  int input[2], output[2];
  if (pipe2(input, O_CLOEXEC) != 0) return ErrnoError("cannot start a worker");
  if (pipe2(output, O_CLOEXEC) != 0) {
    Status error = ErrnoError("cannot start a worker");
    close(input[0]);
    close(input[1]);
    return error;
  }
  const pid_t starter = getpid();
  pid_t pid = fork();
  if (pid == 0) {
    // Only async-signal-safe calls until exec: other threads may hold locks.
#ifdef __linux__
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != starter) _exit(127);  // the starter died before the line above
#endif
    dup2(input[0], STDIN_FILENO);
    dup2(output[1], STDOUT_FILENO);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  Status status = pid < 0 ? ErrnoError("cannot start a worker") : Status::Ok();
  close(input[0]);
  close(output[1]);
  if (!status.ok()) {
    close(input[1]);
    close(output[0]);
    return status;
  }
  (void)starter;
  *child = std::make_unique<PosixChild>(pid, input[1], output[0]);
  return Status::Ok();
}

Status LockWholeFile(const std::string& path, const LockHolder& holder,
                     std::unique_ptr<FileLock>* lock) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return ErrnoError("cannot open " + path);
  int taken;
  while ((taken = flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  if (taken != 0 && errno == EWOULDBLOCK && holder.waiting) holder.waiting(ReadHolder(fd));
  while (taken != 0 && (taken = flock(fd, LOCK_EX)) != 0) {
    if (errno == EINTR) continue;
    Status error = ErrnoError("cannot lock " + path);
    close(fd);
    return error;
  }
  WriteHolder(fd, holder.name);
  *lock = std::make_unique<PosixLock>(fd);
  return Status::Ok();
}

void EndProcessNow(int code) { _exit(code); }

}  // namespace quillmeter
