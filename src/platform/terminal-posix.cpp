// POSIX terminal: termios turns the echo off while a secret is typed.
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/terminal.h"

namespace quillmeter {
namespace {

void WriteError(const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(STDERR_FILENO, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

class PosixTerminal : public Terminal {
 public:
  bool IsInteractive() override { return isatty(STDIN_FILENO) == 1; }

  Status ReadHidden(const std::string& prompt, std::string* line) override {
    // The echo goes off before the prompt shows, and nothing typed is
    // dropped: a quick typist may answer before the prompt is read.
    termios saved{};
    bool restore = tcgetattr(STDIN_FILENO, &saved) == 0;
    if (restore) {
      termios quiet = saved;
      quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
      quiet.c_lflag |= ECHONL;  // the line still ends on the screen
      tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    WriteError(prompt);
    line->clear();
    bool ended = false;
    char c;
    for (;;) {
      ssize_t n = read(STDIN_FILENO, &c, 1);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      if (c == '\n') {
        ended = true;
        break;
      }
      if (line->size() < kMaxHiddenLine) line->push_back(c);
    }
    if (restore) tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    if (!line->empty() && line->back() == '\r') line->pop_back();
    if (!ended && line->empty()) return Status::Error("no password was typed", "end of input");
    return Status::Ok();
  }
};

}  // namespace

Terminal& SystemTerminal() {
  static PosixTerminal terminal;
  return terminal;
}

}  // namespace quillmeter
