// Windows implementation of the platform seam. Paths are the caller's bytes
// in the ANSI code page, as the vendor's non-Unicode RFC library expects.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace quillmeter {
namespace {

std::string ErrorText(DWORD code) {
  char buffer[512] = {0};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, buffer, sizeof buffer, nullptr);
  while (n > 0 && (buffer[n - 1] == '\n' || buffer[n - 1] == '\r' || buffer[n - 1] == '.'))
    buffer[--n] = '\0';
  return n > 0 ? std::string(buffer, n) : "error " + std::to_string(code);
}

// The failure of `what` on `path`, with the system's text for the last error.
Status LastError(const std::string& what, const std::string& path) {
  return Status::Error(what + " " + path, ErrorText(GetLastError()));
}

class WindowsLibrary : public DynamicLibrary {
 public:
  explicit WindowsLibrary(HMODULE module) : module_(module) {}
  ~WindowsLibrary() override { FreeLibrary(module_); }
  Status Symbol(const char* name, void** address) override {
    FARPROC symbol = GetProcAddress(module_, name);
    if (symbol == nullptr) return LastError("no symbol", name);
    static_assert(sizeof *address == sizeof symbol);
    std::memcpy(address, &symbol, sizeof *address);
    return Status::Ok();
  }

 private:
  HMODULE module_;
};

class WindowsPlatform : public Platform {
 public:
  WindowsPlatform() {
    // The probe service has no desktop: a dialog box for a missing DLL or a
    // crash would block the sensor until PRTG kills it.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
    // Documents go out byte for byte as on every other platform, with "\n"
    // line ends and no code-page translation.
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
  }

  Status ReadFile(const std::string& path, std::string* contents) override {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastError("cannot open", path);
    contents->clear();
    char buffer[64 * 1024];
    for (;;) {
      DWORD n = 0;
      if (!::ReadFile(file, buffer, sizeof buffer, &n, nullptr)) {
        Status error = LastError("cannot read", path);
        CloseHandle(file);
        return error;
      }
      if (n == 0) break;
      if (contents->size() + n > kMaxFileSize) {
        CloseHandle(file);
        return Status::Error("cannot read " + path, "file too large");
      }
      contents->append(buffer, n);
    }
    CloseHandle(file);
    return Status::Ok();
  }

  Status AtomicReplace(const std::string& path, std::string_view contents) override {
    static std::atomic<unsigned> sequence{0};
    std::string temp =
        path + ".tmp" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(sequence++);
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastError("cannot create", temp);
    bool ok = true;
    while (ok && !contents.empty()) {
      DWORD n = 0;
      DWORD chunk = contents.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(contents.size());
      ok = ::WriteFile(file, contents.data(), chunk, &n, nullptr) && n > 0;
      if (ok) contents.remove_prefix(n);
    }
    ok = ok && FlushFileBuffers(file);
    Status status;
    if (!ok) status = LastError("cannot write", temp);
    CloseHandle(file);
    if (ok && !MoveFileExA(temp.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      status = LastError("cannot rename onto", path);
    if (!status.ok()) DeleteFileA(temp.c_str());
    return status;
  }

  Status AppendFile(const std::string& path, std::string_view data) override {
    // FILE_APPEND_DATA alone makes every write land at the end, also when
    // several sensors append at the same moment.
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastError("cannot open", path);
    bool ok = true;
    while (ok && !data.empty()) {
      DWORD n = 0;
      DWORD chunk = data.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(data.size());
      ok = ::WriteFile(file, data.data(), chunk, &n, nullptr) && n > 0;
      if (ok) data.remove_prefix(n);
    }
    Status status;
    if (!ok) status = LastError("cannot write", path);
    CloseHandle(file);
    return status;
  }

  Status RemoveFile(const std::string& path) override {
    if (DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ||
        GetLastError() == ERROR_PATH_NOT_FOUND)
      return Status::Ok();
    return LastError("cannot remove", path);
  }

  ClockTime Now() override {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return ClockTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
  }

  std::string FullPath(const std::string& path) override {
    // GetFullPathName takes "" as no name at all; the current directory is ".".
    const std::string name = path.empty() ? ".\\" : path;
    char buffer[MAX_PATH * 4];
    DWORD n = GetFullPathNameA(name.c_str(), sizeof buffer, buffer, nullptr);
    if (n == 0 || n >= sizeof buffer) return path;
    return std::string(buffer, n);
  }

  std::string ExecutablePath() override {
    char buffer[MAX_PATH * 4];
    DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) return std::string();
    return std::string(buffer, n);
  }

  std::string ExecutableDir() override {
    std::string path = ExecutablePath();
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  }

  Status LoadSharedLibrary(const std::string& path,
                           std::unique_ptr<DynamicLibrary>* library) override {
    // A library named by its path finds the DLLs it needs beside itself; a
    // bare name is searched the usual way.
    DWORD flags =
        path.find_first_of("\\/") == std::string::npos ? 0 : LOAD_WITH_ALTERED_SEARCH_PATH;
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, flags);
    if (module == nullptr) return LastError("cannot load", path);
    *library = std::make_unique<WindowsLibrary>(module);
    return Status::Ok();
  }

  std::string FindLibrary(const std::string& file) override {
    // LoadLibrary's own order (safe search mode): the executable's folder,
    // the system folder, the 16-bit one, Windows' folder, the current one,
    // then PATH. A 32-bit sensor on 64-bit Windows sees SysWOW64 as its
    // system folder, so that is the folder it names.
    char system[MAX_PATH] = {0};
    char windows[MAX_PATH] = {0};
    BOOL wow64 = FALSE;
    UINT n = IsWow64Process(GetCurrentProcess(), &wow64) && wow64
                 ? GetSystemWow64DirectoryA(system, sizeof system)
                 : GetSystemDirectoryA(system, sizeof system);
    std::string dirs = ExecutableDir() + ";";
    if (n > 0 && n < sizeof system) dirs += std::string(system, n) + ";";
    n = GetWindowsDirectoryA(windows, sizeof windows);
    if (n > 0 && n < sizeof windows) dirs += std::string(windows, n) + "\\System;" + windows + ";";
    dirs += ".";
    std::string path(GetEnvironmentVariableA("PATH", nullptr, 0), '\0');
    n = GetEnvironmentVariableA("PATH", path.data(), static_cast<DWORD>(path.size()));
    if (n > 0 && n < path.size()) dirs += ";" + path.substr(0, n);

    char found[MAX_PATH * 4];
    n = SearchPathA(dirs.c_str(), file.c_str(), nullptr, sizeof found, found, nullptr);
    return n > 0 && n < sizeof found ? std::string(found, n) : std::string();
  }

  // std::exit flushes the standard streams on its way out.
  void Exit(int code) override { std::exit(code); }

  char PathSeparator() const override { return '\\'; }
  std::string PrtgPathFile() const override { return "C:\\PRTG_Path.Txt"; }
  bool IsPathSeparator(char c) const override { return c == '\\' || c == '/'; }
};

}  // namespace

Platform& SystemPlatform() {
  static WindowsPlatform platform;
  return platform;
}

const char* RfcLibraryFileName() { return "librfc32.dll"; }

}  // namespace quillmeter
