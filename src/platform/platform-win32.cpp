// Windows implementation of the platform seam. Paths are the caller's bytes
// in the ANSI code page, as the vendor's non-Unicode RFC library expects.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "platform/platform.h"

namespace quillmeter {
namespace {

std::string LastErrorText() {
  DWORD code = GetLastError();
  char buffer[512] = {0};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, buffer, sizeof buffer, nullptr);
  while (n > 0 && (buffer[n - 1] == '\n' || buffer[n - 1] == '\r' || buffer[n - 1] == '.'))
    buffer[--n] = '\0';
  return n > 0 ? std::string(buffer, n) : "error " + std::to_string(code);
}

class WindowsLibrary : public DynamicLibrary {
 public:
  explicit WindowsLibrary(HMODULE module) : module_(module) {}
  ~WindowsLibrary() override { FreeLibrary(module_); }
  void* Symbol(const char* name, std::string* error) override {
    FARPROC symbol = GetProcAddress(module_, name);
    if (symbol == nullptr) {
      *error = LastErrorText();
      return nullptr;
    }
    void* address;
    static_assert(sizeof address == sizeof symbol);
    std::memcpy(&address, &symbol, sizeof address);
    return address;
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

  bool ReadFile(const std::string& path, std::string* contents,
                std::string* error) override {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      *error = "cannot open " + path + ": " + LastErrorText();
      return false;
    }
    contents->clear();
    char buffer[64 * 1024];
    for (;;) {
      DWORD n = 0;
      if (!::ReadFile(file, buffer, sizeof buffer, &n, nullptr)) {
        *error = "cannot read " + path + ": " + LastErrorText();
        CloseHandle(file);
        return false;
      }
      if (n == 0) break;
      if (contents->size() + n > kMaxFileSize) {
        *error = "cannot read " + path + ": file too large";
        CloseHandle(file);
        return false;
      }
      contents->append(buffer, n);
    }
    CloseHandle(file);
    return true;
  }

  bool AtomicReplace(const std::string& path, std::string_view contents,
                   std::string* error) override {
    static std::atomic<unsigned> sequence{0};
    std::string temp = path + ".tmp" + std::to_string(GetCurrentProcessId()) + "-" +
                       std::to_string(sequence++);
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      *error = "cannot create " + temp + ": " + LastErrorText();
      return false;
    }
    bool ok = true;
    while (ok && !contents.empty()) {
      DWORD n = 0;
      DWORD chunk = contents.size() > (1u << 30) ? (1u << 30)
                                                 : static_cast<DWORD>(contents.size());
      ok = ::WriteFile(file, contents.data(), chunk, &n, nullptr) && n > 0;
      if (ok) contents.remove_prefix(n);
    }
    ok = ok && FlushFileBuffers(file);
    if (!ok) *error = "cannot write " + temp + ": " + LastErrorText();
    CloseHandle(file);
    if (ok && !MoveFileExA(temp.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      ok = false;
      *error = "cannot rename onto " + path + ": " + LastErrorText();
    }
    if (!ok) DeleteFileA(temp.c_str());
    return ok;
  }

  bool AppendFile(const std::string& path, std::string_view data,
                  std::string* error) override {
    // FILE_APPEND_DATA alone makes every write land at the end, also when
    // several sensors append at the same moment.
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      *error = "cannot open " + path + ": " + LastErrorText();
      return false;
    }
    bool ok = true;
    while (ok && !data.empty()) {
      DWORD n = 0;
      DWORD chunk = data.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(data.size());
      ok = ::WriteFile(file, data.data(), chunk, &n, nullptr) && n > 0;
      if (ok) data.remove_prefix(n);
    }
    if (!ok) *error = "cannot write " + path + ": " + LastErrorText();
    CloseHandle(file);
    return ok;
  }

  bool RemoveFile(const std::string& path) override {
    return DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ||
           GetLastError() == ERROR_PATH_NOT_FOUND;
  }

  ClockTime Now() override {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return ClockTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
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

  std::unique_ptr<DynamicLibrary> LoadSharedLibrary(const std::string& path,
                                              std::string* error) override {
    // A library named by its path finds the DLLs it needs beside itself; a
    // bare name is searched the usual way.
    DWORD flags = path.find_first_of("\\/") == std::string::npos ? 0
                                                                  : LOAD_WITH_ALTERED_SEARCH_PATH;
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, flags);
    if (module == nullptr) {
      *error = "cannot load " + path + ": " + LastErrorText();
      return nullptr;
    }
    return std::make_unique<WindowsLibrary>(module);
  }

  void Exit(int code) override {
    std::cout.flush();
    std::fflush(stdout);
    std::exit(code);
  }

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
