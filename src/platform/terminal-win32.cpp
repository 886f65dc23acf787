// Windows console: the console mode turns the echo off while a secret is
// typed.
#include <windows.h>

#include "platform/terminal.h"

namespace quillmeter {
namespace {

void WriteError(const std::string& text) {
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  DWORD written = 0;
  if (error != INVALID_HANDLE_VALUE && error != nullptr)
    WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

class WindowsTerminal : public Terminal {
 public:
  bool IsInteractive() override {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
  }

  Status ReadHidden(const std::string& prompt, std::string* line) override {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD saved = 0;
    bool restore = GetConsoleMode(input, &saved) != 0;
    if (restore) SetConsoleMode(input, saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    WriteError(prompt);
    line->clear();
    bool ended = false;
    char c;
    DWORD n = 0;
    while (ReadFile(input, &c, 1, &n, nullptr) && n == 1) {
      if (c == '\n') {
        ended = true;
        break;
      }
      if (line->size() < kMaxHiddenLine) line->push_back(c);
    }
    if (restore) SetConsoleMode(input, saved);
    WriteError("\r\n");  // the typed Enter was not echoed
    if (!line->empty() && line->back() == '\r') line->pop_back();
    if (!ended && line->empty()) return Status::Error("no password was typed", "end of input");
    return Status::Ok();
  }
};

}  // namespace

Terminal& SystemTerminal() {
  static WindowsTerminal terminal;
  return terminal;
}

}  // namespace quillmeter
