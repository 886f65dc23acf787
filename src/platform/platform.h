// The operating system as the sensor sees it: files, the clock, its own
// location, run-time library loading and process exit. Everything that
// differs between Windows and POSIX stays behind this seam.
#ifndef QUILLMETER_PLATFORM_PLATFORM_H_
#define QUILLMETER_PLATFORM_PLATFORM_H_

#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

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
  // Returns the address of the exported symbol, or nullptr with *error set
  // to the operating system's text.
  virtual void* Symbol(const char* name, std::string* error) = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Reads the whole file at `path`. Returns false with *error naming the
  // file and the cause when it cannot be opened or read (a directory, a file
  // larger than kMaxFileSize and an unreadable file all fail).
  virtual bool ReadFile(const std::string& path, std::string* contents,
                        std::string* error) = 0;

  // Replaces `path` with `contents` atomically: a temporary file is written
  // and flushed beside it, then renamed over it (over the file a symbolic
  // link names, not the link). On failure the old file is left untouched,
  // the temporary is removed and *error is set.
  virtual bool AtomicReplace(const std::string& path, std::string_view contents,
                           std::string* error) = 0;

  // Appends `data` to `path` in one write, creating the file when missing,
  // and closes it again, so every call reaches the disk whole. Returns false
  // with *error set when the file cannot be opened or written.
  virtual bool AppendFile(const std::string& path, std::string_view data,
                          std::string* error) = 0;

  // Removes `path`. Returns true when it is gone afterwards (a missing file
  // counts as removed).
  virtual bool RemoveFile(const std::string& path) = 0;

  // The current local time.
  virtual ClockTime Now() = 0;

  // The directory of the running executable, ending with a separator, or
  // empty when the system cannot tell.
  virtual std::string ExecutableDir() = 0;

  // The full path of the running executable, or empty.
  virtual std::string ExecutablePath() = 0;

  // Loads a shared library. Returns nullptr with *error set (naming the file
  // and the system's reason) when it cannot be loaded. Never shows a dialog.
  virtual std::unique_ptr<DynamicLibrary> LoadSharedLibrary(const std::string& path,
                                                      std::string* error) = 0;

  // Ends the process with `code` after flushing standard output. Only the
  // RFC failure handler calls it; a test fake throws instead.
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

}  // namespace quillmeter

#endif  // QUILLMETER_PLATFORM_PLATFORM_H_
