// Runs a built executable as a child process in a working directory of its
// own, capturing its standard output and exit code. POSIX only.
#ifndef QUILLMETER_TESTS_E2E_SENSOR_PROCESS_H_
#define QUILLMETER_TESTS_E2E_SENSOR_PROCESS_H_

#include <map>
#include <string>
#include <vector>

namespace quillmeter {

struct SensorResult {
  int exit_code = -1;  // -1 when the child was killed or did not end
  std::string out;
  std::string err;
  double seconds = 0;  // from the start to the end of its output
};

struct RunOptions {
  std::string executable;  // empty: the built quillmeter
  std::string subdir;      // working directory below the sandbox, "" for the sandbox
  // When the tests run as root: run the child as nobody, so that file modes
  // bind it (read-only directories and the like).
  bool unprivileged = false;
  // Kills the child with SIGKILL after this many milliseconds, as PRTG does
  // at its timeout; 0 never.
  int kill_after_ms = 0;
  // A file of the working directory that is the child's standard input;
  // "" for /dev/null.
  std::string input_file;
  // The largest file the child may write, in bytes (ulimit -f); 0 none.
  long file_size_limit = 0;
  // Environment variables set for the child, as PRTG sets its placeholders;
  // PRTG's credential variables of the test's own environment never reach it.
  std::map<std::string, std::string> environment;
};

// A fresh temporary directory, removed with everything in it at the end.
class Sandbox {
 public:
  Sandbox();
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  const std::string& dir() const { return dir_; }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  // Writes, reads and tests files relative to the sandbox; a missing file
  // reads as "".
  void WriteFile(const std::string& name, const std::string& contents) const;
  std::string ReadFile(const std::string& name) const;
  bool Exists(const std::string& name) const;

  // Copies a file into the sandbox (keeping its mode) and returns its path.
  std::string Copy(const std::string& from, const std::string& name) const;

  // Hands the sandbox and everything in it to the unprivileged user.
  void GiveToChildUser() const;

  // Runs the executable with `args` (without the program name); the
  // library search path of the tests does not reach the child.
  SensorResult Run(const std::vector<std::string>& args, const RunOptions& options = {}) const;

  // Starts `count` such runs at the same moment and waits for all of them.
  std::vector<SensorResult> RunTogether(int count, const std::vector<std::string>& args,
                                        const RunOptions& options = {}) const;

 private:
  std::string dir_;
};

// The built sensor and the built simulated library.
std::string SensorExecutable();
std::string SimulatedLibrary();

// True when the child would run as an unprivileged user.
bool CanRunUnprivileged();

// The processes now running the executable at `path` (a private copy, so
// that tests running at the same time do not count).
int ProcessesOf(const std::string& path);

}  // namespace quillmeter

#endif  // QUILLMETER_TESTS_E2E_SENSOR_PROCESS_H_
