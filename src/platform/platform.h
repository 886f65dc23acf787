// The operating system as the sensor sees it: files, the clock, its own
// location, run-time library loading and process exit. Everything that
// differs between Windows and POSIX stays behind this seam.
#ifndef QUILLMETER_PLATFORM_PLATFORM_H_
#define QUILLMETER_PLATFORM_PLATFORM_H_

#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "platform/process.h"

namespace quillmeter {

// Local wall-clock time, broken down.
struct ClockTime {
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// A library loaded at run time. Unloaded when destroyed.
class DynamicLibrary {
 public:
  virtual ~DynamicLibrary() = default;
  // Sets *address to the exported symbol's address; fails with the
  // operating system's text as the cause when there is none.
  virtual Status Symbol(const char* name, void** address) = 0;
  // The full path of the file that was loaded, or "" when the system cannot
  // tell.
  virtual std::string Path() { return std::string(); }
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Every failing file operation's message names the operation and the file
  // ("cannot open PRD.P00"); its cause is the operating system's own text.

  // Reads the whole file at `path` into *contents. Fails when it cannot be
  // opened or read: a directory, a file larger than kMaxFileSize and an
  // unreadable file all fail.
  virtual Status ReadFile(const std::string& path, std::string* contents) = 0;

  // Replaces `path` with `contents` atomically: a temporary file is written
  // and flushed beside it, then renamed over it (over the file a symbolic
  // link names, not the link). On failure the old file is left untouched
  // and the temporary is removed.
  virtual Status AtomicReplace(const std::string& path, std::string_view contents) = 0;

  // Appends `data` to `path` in one write, creating the file when missing,
  // and closes it again, so every call reaches the disk whole.
  virtual Status AppendFile(const std::string& path, std::string_view data) = 0;

  // Removes `path`; a missing file counts as removed.
  virtual Status RemoveFile(const std::string& path) = 0;

  // The current local time.
  virtual ClockTime Now() = 0;

  // The value of the environment variable `name`, "" when it is not set.
  virtual std::string EnvironmentValue(const std::string& name) = 0;

  // `size` bytes from the operating system's random source, fit for salts
  // and keys, into *bytes. Fails when the system gives none.
  virtual Status RandomBytes(size_t size, std::string* bytes) = 0;

  // The directory of the running executable, ending with a separator, or
  // empty when the system cannot tell.
  virtual std::string ExecutableDir() = 0;

  // The absolute form of `path`, taken from the current directory (and, on
  // Windows, drive) when it is relative; "" is the current directory, with
  // its separator. `path` itself when the system cannot tell.
  virtual std::string FullPath(const std::string& path) = 0;

  // The full path of the running executable, or empty.
  virtual std::string ExecutablePath() = 0;

  // Loads a shared library into *library. Fails with the system's reason as
  // the cause when it cannot be loaded. Never shows a dialog.
  virtual Status LoadSharedLibrary(const std::string& path,
                                   std::unique_ptr<DynamicLibrary>* library) = 0;

  // The file that loading the bare name `file` would open from the system's
  // search path, or empty when there is none or the system cannot tell.
  // Only a failed load asks, to name that file.
  virtual std::string FindLibrary(const std::string& /*file*/) { return std::string(); }

  // Puts `folder` in front of the process's library search variables (PATH;
  // on POSIX LD_LIBRARY_PATH too), for libraries that search them
  // themselves at run time. A folder already first is not added again.
  virtual void PutFirstOnSearchPath(const std::string& folder) = 0;

  // Starts this executable again with `arguments` as a worker (see
  // ChildProcess): it is killed when this process ends, however it ends.
  virtual Status StartWorker(const std::vector<std::string>& arguments,
                             std::unique_ptr<ChildProcess>* child) {
    return StartWorkerProcess(ExecutablePath(), arguments, child);
  }

  // Holds an exclusive lock on `path`, created when missing, waiting while
  // another process holds it; the file names `holder` while it is held.
  virtual Status LockFile(const std::string& path, const LockHolder& holder,
                          std::unique_ptr<FileLock>* lock) {
    return LockWholeFile(path, holder, lock);
  }

  // Ends the process at once with `code`, running nothing more: other
  // threads may be stuck in the RFC library. Standard output must be
  // flushed before.
  [[noreturn]] virtual void EndNow(int code) { EndProcessNow(code); }

  // Ends the process with `code`; buffered standard output is flushed on
  // the way. Only the RFC failure handler calls it; a test fake throws.
  [[noreturn]] void ExitProcess(int code) {
    Exit(code);
    std::abort();  // Exit never returns; this keeps the promise visible.
  }

 protected:
  virtual void Exit(int code) = 0;

 public:
  // The separator this platform writes between directory and file name.
  virtual char PathSeparator() const = 0;

  // True when `c` separates directories in a path on this platform.
  virtual bool IsPathSeparator(char c) const = 0;

  // The optional file naming the PRTG installation directory.
  virtual std::string PrtgPathFile() const = 0;

  // Largest file the sensor reads; anything bigger is not a profile.
  static constexpr size_t kMaxFileSize = 64u << 20;
};

// The platform the sensor runs on. The returned object lives for the whole
// process.
Platform& SystemPlatform();

// The file name of the vendor's RFC library on this platform.
const char* RfcLibraryFileName();

// The file name of the vendor's NetWeaver RFC library on this platform.
const char* NetWeaverLibraryFileName();

}  // namespace quillmeter

#endif  // QUILLMETER_PLATFORM_PLATFORM_H_
