// The system's own words for a Windows error code, for the causes of the
// Windows platform's statuses. Only the platform's Windows files include it.
#ifndef QUILLMETER_PLATFORM_ERROR_WIN32_H_
#define QUILLMETER_PLATFORM_ERROR_WIN32_H_

#include <windows.h>

#include <string>

namespace quillmeter {

// FormatMessage's text without its closing line end and full stop, or
// "error <code>" when the system has none.
inline std::string WindowsErrorText(DWORD code) {
  char buffer[512] = {0};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, buffer, sizeof buffer, nullptr);
  while (n > 0 && (buffer[n - 1] == '\n' || buffer[n - 1] == '\r' || buffer[n - 1] == '.'))
    buffer[--n] = '\0';
  return n > 0 ? std::string(buffer, n) : "error " + std::to_string(code);
}

}  // namespace quillmeter

#endif  // QUILLMETER_PLATFORM_ERROR_WIN32_H_
