// POSIX implementation of the platform seam.
#include <dlfcn.h>
#if defined(__GLIBC__) || defined(__linux__)
#include <link.h>
#endif
#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "platform/platform.h"

namespace quillmeter {
namespace {

bool StartsWithFolder(const std::string& list, const std::string& folder) {
  return list.compare(0, folder.size(), folder) == 0 && list.size() > folder.size() &&
         list[folder.size()] == ':';
}

// The failure of `what` on `path`, with the system's text for errno.
Status ErrnoError(const std::string& what, const std::string& path) {
  return Status::Error(what + " " + path, std::strerror(errno));
}

class PosixLibrary : public DynamicLibrary {
 public:
  PosixLibrary(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  ~PosixLibrary() override { dlclose(handle_); }
  Status Symbol(const char* name, void** address) override {
    dlerror();
    *address = dlsym(handle_, name);
    if (*address != nullptr) return Status::Ok();
    const char* text = dlerror();
    return Status::Error(std::string("no symbol ") + name,
                         text != nullptr ? text : "symbol not found");
  }
  std::string Path() override {
#if defined(__GLIBC__)
    // A bare name was found on the search path: the loader knows where.
    struct link_map* map = nullptr;
    if (dlinfo(handle_, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr &&
        map->l_name[0] == '/')
      return map->l_name;
#endif
    return path_.find('/') == std::string::npos ? std::string() : path_;
  }

 private:
  void* handle_;
  std::string path_;
};

// `folder` in front of the variable `name`'s list.
void PutFirst(const char* name, const std::string& folder) {
  const char* old = std::getenv(name);
  std::string list = old != nullptr ? old : "";
  if (list == folder || StartsWithFolder(list, folder)) return;
  std::string value = list.empty() ? folder : folder + ":" + list;
  (void)setenv(name, value.c_str(), 1);
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

class PosixPlatform : public Platform {
 public:
  // A write beyond the file-size limit (ulimit -f) would end the process
  // with SIGXFSZ, unanswered and with its temporary file left behind;
  // ignored, the write fails with EFBIG, which the caller reports.
  PosixPlatform() { signal(SIGXFSZ, SIG_IGN); }

  Status ReadFile(const std::string& path, std::string* contents) override {
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return ErrnoError("cannot open", path);
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      close(fd);
      return Status::Error("cannot read " + path, "not a regular file");
    }
    contents->clear();
    char buffer[64 * 1024];
    for (;;) {
      ssize_t n = read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        Status error = ErrnoError("cannot read", path);
        close(fd);
        return error;
      }
      if (n == 0) break;
      if (contents->size() + static_cast<size_t>(n) > kMaxFileSize) {
        close(fd);
        return Status::Error("cannot read " + path, "file too large");
      }
      contents->append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return Status::Ok();
  }

  Status AtomicReplace(const std::string& link_or_path, std::string_view contents) override {
    // Renaming onto a symbolic link would replace the link and leave the
    // file it names stale: replace that file instead.
    std::string path = link_or_path;
    std::error_code resolve_error;
    if (std::filesystem::is_symlink(path, resolve_error)) {
      std::filesystem::path target = std::filesystem::canonical(path, resolve_error);
      if (!resolve_error) path = target.string();
    }
    // A name of its own per process and call, so that two scans replacing
    // the same profile at once never write into each other's temporary.
    static std::atomic<unsigned> sequence{0};
    std::string temp = path + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(sequence++);
    mode_t mode = 0600;  // The profile holds logon data.
    struct stat st;
    if (stat(path.c_str(), &st) == 0) mode = st.st_mode & 07777;
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, mode);
    if (fd < 0) return ErrnoError("cannot create", temp);
    Status status;
    if (!WriteAll(fd, contents) || fsync(fd) != 0) status = ErrnoError("cannot write", temp);
    if (close(fd) != 0 && status.ok()) status = ErrnoError("cannot close", temp);
    if (status.ok() && rename(temp.c_str(), path.c_str()) != 0)
      status = ErrnoError("cannot rename onto", path);
    if (!status.ok()) unlink(temp.c_str());
    return status;
  }

  Status AppendFile(const std::string& path, std::string_view data) override {
    // O_APPEND with a single write keeps the lines of sensors running at
    // the same moment whole.
    int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0600);
    if (fd < 0) return ErrnoError("cannot open", path);
    Status status;
    if (!WriteAll(fd, data)) status = ErrnoError("cannot write", path);
    if (close(fd) != 0 && status.ok()) status = ErrnoError("cannot close", path);
    return status;
  }

  Status RemoveFile(const std::string& path) override {
    if (unlink(path.c_str()) == 0 || errno == ENOENT) return Status::Ok();
    return ErrnoError("cannot remove", path);
  }

  ClockTime Now() override {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return ClockTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                     local.tm_hour,        local.tm_min,     local.tm_sec};
  }

  std::string EnvironmentValue(const std::string& name) override {
    const char* value = std::getenv(name.c_str());
    return value != nullptr ? std::string(value) : std::string();
  }

  Status RandomBytes(size_t size, std::string* bytes) override {
    bytes->assign(size, '\0');
    size_t done = 0;
    while (done < size) {
      ssize_t n = getrandom(bytes->data() + done, size - done, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    if (done == size) return Status::Ok();
    // A kernel without getrandom still has the device.
    int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return ErrnoError("cannot open", "/dev/urandom");
    for (done = 0; done < size;) {
      ssize_t n = read(fd, bytes->data() + done, size - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    Status status = done == size ? Status::Ok() : ErrnoError("cannot read", "/dev/urandom");
    close(fd);
    return status;
  }

  std::string FullPath(const std::string& path) override {
    if (!path.empty() && path[0] == '/') return path;
    std::error_code error;
    std::filesystem::path cwd = std::filesystem::current_path(error);
    if (error) return path;
    std::string dir = cwd.string();
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir + path;
  }

  std::string ExecutablePath() override {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return std::string();
    return std::string(buffer, static_cast<size_t>(n));
  }

  std::string ExecutableDir() override {
    std::string path = ExecutablePath();
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  }

  Status LoadSharedLibrary(const std::string& path,
                           std::unique_ptr<DynamicLibrary>* library) override {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      const char* text = dlerror();
      return Status::Error("cannot load " + path, text != nullptr ? text : "unknown reason");
    }
    *library = std::make_unique<PosixLibrary>(handle, path);
    return Status::Ok();
  }

  void PutFirstOnSearchPath(const std::string& folder) override {
    if (folder.empty()) return;
    PutFirst("PATH", folder);
    PutFirst("LD_LIBRARY_PATH", folder);
  }

  // std::exit flushes the standard streams on its way out.
  void Exit(int code) override { std::exit(code); }

  char PathSeparator() const override { return '/'; }
  std::string PrtgPathFile() const override { return "/PRTG_Path.Txt"; }
  bool IsPathSeparator(char c) const override { return c == '/'; }
};

}  // namespace

Platform& SystemPlatform() {
  static PosixPlatform platform;
  return platform;
}

const char* RfcLibraryFileName() { return "librfc32.so"; }

const char* NetWeaverLibraryFileName() { return "libsapnwrfc.so"; }

}  // namespace quillmeter
