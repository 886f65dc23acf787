// Windows implementation of the platform seam. Paths are the caller's bytes
// in the ANSI code page, as the vendor's non-Unicode RFC library expects.
#include "platform/platform-win32.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
// windows.h first: bcrypt.h relies on its types.
#include <bcrypt.h>

#include <atomic>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/backoff.h"
#include "platform/error-win32.h"
#include "platform/platform.h"

namespace quillmeter {
namespace {

// The failure of `what` on `path`, with the system's text for `code`.
Status SystemError(const std::string& what, const std::string& path, DWORD code) {
  return Status::Error(what + " " + path, WindowsErrorText(code));
}

// The failure of `what` on `path`, with the system's text for the last error.
Status LastError(const std::string& what, const std::string& path) {
  return SystemError(what, path, GetLastError());
}

// What another process holding a file for a moment makes an operation fail
// with: a reader that does not share deletion, a virus scanner, a byte-range
// lock, or (for MoveFileEx, and always under Wine) any handle open on the
// file being replaced. Worth waiting for; every other error is final.
bool IsBriefLock(DWORD code) {
  return code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION ||
         code == ERROR_LOCK_VIOLATION;
}

bool IsDirectory(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// FileRenameInfoEx and its flags came with Windows 10 1607; mingw-w64's
// headers leave them out for most targets (the enumerator sits behind a
// wrong version test), so the values are spelled out here.
constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
constexpr DWORD kRenameReplaceIfExists = 0x1;
// Open readers keep the old file instead of blocking the rename.
constexpr DWORD kRenamePosixSemantics = 0x2;

// FILE_RENAME_INFO as FileRenameInfoEx reads it: a flags word where older
// headers have the BOOLEAN ReplaceIfExists.
struct RenameInfoEx {
  DWORD flags;
  HANDLE root_directory;
  DWORD file_name_length;  // in bytes, without the terminating zero
  WCHAR file_name[1];
};
static_assert(offsetof(RenameInfoEx, root_directory) == offsetof(FILE_RENAME_INFO, RootDirectory));
static_assert(offsetof(RenameInfoEx, file_name) == offsetof(FILE_RENAME_INFO, FileName));

// The full wide-character form of `path`, whose bytes are in the ANSI code
// page as for every ...A function, or empty when it has none.
std::wstring FullWidePath(const std::string& path) {
  if (path.size() >= INT_MAX) return std::wstring();
  // The length -1 ends the name at a zero byte, where the ...A functions do.
  int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.c_str(), -1, nullptr, 0);
  if (n <= 1) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.c_str(), -1, wide.data(), n) != n)
    return std::wstring();
  // The renamed file's name must not depend on how the call reads a
  // relative one.
  DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return std::wstring();
  std::wstring full(size, L'\0');
  DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return std::wstring();
  full.resize(length);
  return full;
}

}  // namespace

std::vector<unsigned char> PosixRenameInfo(const std::string& path) {
  std::wstring name = FullWidePath(path);
  size_t name_bytes = name.size() * sizeof(wchar_t);
  if (name.empty() || name_bytes > MAXDWORD / 2) return {};
  constexpr size_t kNameOffset = offsetof(RenameInfoEx, file_name);
  std::vector<unsigned char> info(kNameOffset + name_bytes + sizeof(wchar_t), 0);
  RenameInfoEx head{};
  head.flags = kRenameReplaceIfExists | kRenamePosixSemantics;
  head.root_directory = nullptr;
  head.file_name_length = static_cast<DWORD>(name_bytes);
  std::memcpy(info.data(), &head, kNameOffset);
  std::memcpy(info.data() + kNameOffset, name.data(), name_bytes);
  return info;
}

namespace {

// Renames the temporary `temp`, open as `file` with DELETE access, over
// `path` and closes `file`. The rename that readers of `path` do not block
// comes first; where the system refuses it (before Windows 10 1607, some
// file systems, Wine), MoveFileEx, which waits out brief holders of `path`
// but not one that stays. Fails with the last error's text.
Status RenameOver(HANDLE file, const std::string& temp, const std::string& path, Backoff& backoff) {
  std::vector<unsigned char> info = PosixRenameInfo(path);
  DWORD code = 0;
  while (!info.empty()) {
    if (SetFileInformationByHandle(file, kFileRenameInfoEx, info.data(),
                                   static_cast<DWORD>(info.size()))) {
      CloseHandle(file);
      return Status::Ok();
    }
    code = GetLastError();
    if (!IsBriefLock(code) || !backoff.Pause()) break;
  }
  // The handle has no sharing, so MoveFileEx could not open the file. When
  // the wait is spent already, MoveFileEx still gets its one try: whatever
  // refused the other rename may not refuse this one.
  CloseHandle(file);
  for (;;) {
    if (MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return Status::Ok();
    code = GetLastError();
    if (!IsBriefLock(code) || !backoff.Pause())
      return SystemError("cannot rename onto", path, code);
  }
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
  std::string Path() override {
    char path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameA(module_, path, sizeof path);
    return n > 0 && n < sizeof path ? std::string(path, n) : std::string();
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
    Backoff backoff;
    for (;;) {
      DWORD code = 0;
      Status status = ReadOnce(path, contents, &code);
      // Opening a directory is refused with the same code as a locked file.
      if (status.ok() || !IsBriefLock(code) || IsDirectory(path) || !backoff.Pause()) return status;
    }
  }

  Status AtomicReplace(const std::string& path, std::string_view contents) override {
    // A name of its own per process and call, so that two scans replacing
    // the same profile at once never write into each other's temporary.
    static std::atomic<unsigned> sequence{0};
    std::string temp =
        path + ".tmp" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(sequence++);
    // One budget for the whole replace, so that a profile held open costs
    // the scan about a second, not a second per step.
    Backoff backoff;
    HANDLE file;
    // DELETE lets the open handle rename itself over the profile.
    while ((file = CreateFileA(temp.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr)) == INVALID_HANDLE_VALUE) {
      DWORD code = GetLastError();
      if (!IsBriefLock(code) || !backoff.Pause()) return SystemError("cannot create", temp, code);
    }
    bool ok = true;
    while (ok && !contents.empty()) {
      DWORD n = 0;
      DWORD chunk = contents.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(contents.size());
      ok = ::WriteFile(file, contents.data(), chunk, &n, nullptr) && n > 0;
      if (ok) contents.remove_prefix(n);
    }
    ok = ok && FlushFileBuffers(file);
    Status status;
    if (!ok) {
      status = LastError("cannot write", temp);
      CloseHandle(file);
    } else {
      status = RenameOver(file, temp, path, backoff);
    }
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

  std::string EnvironmentValue(const std::string& name) override {
    // The value may change between the two calls; the loop takes the last.
    std::string value;
    for (DWORD size = 256;;) {
      value.assign(size, '\0');
      DWORD n = GetEnvironmentVariableA(name.c_str(), value.data(), size);
      if (n == 0) return std::string();
      if (n < size) {
        value.resize(n);
        return value;
      }
      size = n;
    }
  }

  Status RandomBytes(size_t size, std::string* bytes) override {
    bytes->assign(size, '\0');
    NTSTATUS status = BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(bytes->data()),
                                      static_cast<ULONG>(size), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (status >= 0) return Status::Ok();
    return Status::Error("cannot take random bytes",
                         "BCryptGenRandom failed with status " + std::to_string(status));
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

  void PutFirstOnSearchPath(const std::string& folder) override {
    if (folder.empty()) return;
    DWORD size = GetEnvironmentVariableA("PATH", nullptr, 0);
    std::string list(size, '\0');
    DWORD n = size == 0 ? 0 : GetEnvironmentVariableA("PATH", list.data(), size);
    list.resize(n < size ? n : 0);
    if (list == folder || (list.size() > folder.size() && list.compare(0, folder.size(), folder) == 0 &&
                           list[folder.size()] == ';'))
      return;
    // The process block, not the C runtime's copy: the library's own runtime
    // reads it when it starts, and its search reads it on every call.
    std::string value = list.empty() ? folder : folder + ";" + list;
    (void)SetEnvironmentVariableA("PATH", value.c_str());
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

 private:
  // One try at reading `path` whole; on failure *code is the system's error
  // code, or 0 when the system reported none.
  static Status ReadOnce(const std::string& path, std::string* contents, DWORD* code) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      *code = GetLastError();
      return SystemError("cannot open", path, *code);
    }
    contents->clear();
    char buffer[64 * 1024];
    for (;;) {
      DWORD n = 0;
      if (!::ReadFile(file, buffer, sizeof buffer, &n, nullptr)) {
        *code = GetLastError();
        CloseHandle(file);
        return SystemError("cannot read", path, *code);
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
};

}  // namespace

Platform& SystemPlatform() {
  static WindowsPlatform platform;
  return platform;
}

const char* RfcLibraryFileName() { return "librfc32.dll"; }

const char* NetWeaverLibraryFileName() { return "sapnwrfc.dll"; }

}  // namespace quillmeter
