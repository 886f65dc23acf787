#include "sensor_process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace quillmeter {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;
constexpr gid_t kNogroup = 65534;
constexpr auto kTimeout = std::chrono::seconds(60);

}  // namespace

std::string SensorExecutable() { return QUILLMETER_EXE; }
std::string SimulatedLibrary() { return SIMRFC_LIBRARY; }

bool CanRunUnprivileged() { return geteuid() == 0; }

int ProcessesOf(const std::string& path) {
  int count = 0;
  std::error_code error;
  const fs::path wanted = fs::canonical(path, error);
  for (const auto& entry : fs::directory_iterator("/proc", error)) {
    std::error_code link_error;
    fs::path exe = fs::read_symlink(entry.path() / "exe", link_error);
    if (!link_error && exe == wanted) ++count;
  }
  return count;
}

Sandbox::Sandbox() {
  std::string pattern = (fs::temp_directory_path() / "quillmeter-e2e-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  dir_ = pattern;
  chmod(dir_.c_str(), 0755);
}

Sandbox::~Sandbox() {
  std::error_code error;
  // Directories a test made read-only must be writable again to be removed.
  for (auto it = fs::recursive_directory_iterator(dir_, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error))
    if (it->is_directory()) chmod(it->path().c_str(), 0755);
  chmod(dir_.c_str(), 0755);
  fs::remove_all(dir_, error);
}

void Sandbox::WriteFile(const std::string& name, const std::string& contents) const {
  fs::path path = Path(name);
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << contents;
}

std::string Sandbox::ReadFile(const std::string& name) const {
  std::ifstream in(Path(name), std::ios::binary);
  std::ostringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

bool Sandbox::Exists(const std::string& name) const { return fs::exists(Path(name)); }

std::string Sandbox::Copy(const std::string& from, const std::string& name) const {
  fs::path to = Path(name);
  fs::create_directories(to.parent_path());
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
  return to.string();
}

void Sandbox::GiveToChildUser() const {
  if (!CanRunUnprivileged()) return;
  if (chown(dir_.c_str(), kNobody, kNogroup) != 0) throw std::runtime_error("chown failed");
  for (const auto& entry : fs::recursive_directory_iterator(dir_))
    if (lchown(entry.path().c_str(), kNobody, kNogroup) != 0)
      throw std::runtime_error("chown failed");
}

namespace {

struct Child {
  pid_t pid = -1;
  int out = -1;
  int err = -1;
};

// Forks and executes `executable` in `workdir`. The child first waits
// until the gate pipe's write end is closed everywhere.
Child Spawn(const std::string& executable, const std::vector<std::string>& args,
            const std::string& workdir, const RunOptions& options, const int gate[2]) {
  const bool unprivileged = options.unprivileged;
  const std::string& input_file = options.input_file;
  std::vector<char*> argv;
  std::vector<std::string> copies = args;
  std::string program = executable;
  argv.push_back(program.data());
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);

  int out_pipe[2], err_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0)
    throw std::runtime_error("pipe failed");
  pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    dup2(out_pipe[1], STDOUT_FILENO);
    dup2(err_pipe[1], STDERR_FILENO);
    if (chdir(workdir.c_str()) != 0) _exit(126);
    int input = open(input_file.empty() ? "/dev/null" : input_file.c_str(), O_RDONLY);
    if (input >= 0) dup2(input, STDIN_FILENO);
    if (options.file_size_limit > 0) {
      rlimit limit{static_cast<rlim_t>(options.file_size_limit),
                   static_cast<rlim_t>(options.file_size_limit)};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
    }
    if (unprivileged && CanRunUnprivileged()) {
      if (setgroups(0, nullptr) != 0 || setgid(kNogroup) != 0 || setuid(kNobody) != 0) _exit(126);
    }
    unsetenv("LD_LIBRARY_PATH");
    for (const char* name :
         {"prtg_windowsuser", "prtg_windowspassword", "prtg_linuxuser", "prtg_linuxpassword"})
      unsetenv(name);
    for (const auto& [name, value] : options.environment) setenv(name.c_str(), value.c_str(), 1);
    close(gate[1]);
    char byte;
    while (read(gate[0], &byte, 1) < 0 && errno == EINTR) {
    }
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  return Child{child, out_pipe[0], err_pipe[0]};
}

// Reads the child's output until it ends, and reaps it.
SensorResult Collect(const Child& child, int kill_after_ms) {
  SensorResult result;
  const auto start = std::chrono::steady_clock::now();
  auto kill_at = kill_after_ms > 0 ? start + std::chrono::milliseconds(kill_after_ms)
                                   : std::chrono::steady_clock::time_point::max();
  pollfd fds[2] = {{child.out, POLLIN, 0}, {child.err, POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open_pipes = 2;
  auto deadline = std::chrono::steady_clock::now() + kTimeout;
  bool timed_out = false;
  while (open_pipes > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timed_out = true;
      kill(child.pid, SIGKILL);
      break;
    }
    if (std::chrono::steady_clock::now() >= kill_at) {
      kill(child.pid, SIGKILL);
      kill_at = std::chrono::steady_clock::time_point::max();
    }
    if (kill_at != std::chrono::steady_clock::time_point::max())
      left = std::min(left, std::chrono::duration_cast<std::chrono::milliseconds>(
                                kill_at - std::chrono::steady_clock::now()) +
                                std::chrono::milliseconds(1));
    int ready = poll(fds, 2, static_cast<int>(std::max<long long>(left.count(), 0)));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_pipes;
      }
    }
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  for (pollfd& fd : fds)
    if (fd.fd >= 0) close(fd.fd);
  int status = 0;
  while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!timed_out && WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  return result;
}

}  // namespace

SensorResult Sandbox::Run(const std::vector<std::string>& args, const RunOptions& options) const {
  return RunTogether(1, args, options).front();
}

std::vector<SensorResult> Sandbox::RunTogether(int count, const std::vector<std::string>& args,
                                               const RunOptions& options) const {
  std::string executable = options.executable.empty() ? SensorExecutable() : options.executable;
  std::string workdir = options.subdir.empty() ? dir_ : Path(options.subdir);
  int gate[2];
  if (pipe2(gate, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  std::vector<Child> children;
  for (int i = 0; i < count; ++i)
    children.push_back(Spawn(executable, args, workdir, options, gate));
  // Every child is waiting at the gate: opening it starts them together.
  close(gate[0]);
  close(gate[1]);
  std::vector<SensorResult> results;
  for (const Child& child : children) results.push_back(Collect(child, options.kill_after_ms));
  return results;
}

}  // namespace quillmeter
