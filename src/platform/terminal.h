// The console an administrator types into: the password tool asks there,
// without echo, when standard input is one.
#ifndef QUILLMETER_PLATFORM_TERMINAL_H_
#define QUILLMETER_PLATFORM_TERMINAL_H_

#include <string>

#include "base/status.h"

namespace quillmeter {

class Terminal {
 public:
  virtual ~Terminal() = default;

  // True when standard input is an interactive terminal, not a pipe or file.
  virtual bool IsInteractive() = 0;

  // Writes `prompt` to standard error, reads one line from standard input
  // with the echo off (at most kMaxHiddenLine characters are kept; the line
  // end is not), and ends the prompt's line. Fails at the end of input.
  virtual Status ReadHidden(const std::string& prompt, std::string* line) = 0;

  static constexpr size_t kMaxHiddenLine = 4096;
};

// The terminal of this process; it lives for the whole process.
Terminal& SystemTerminal();

}  // namespace quillmeter

#endif  // QUILLMETER_PLATFORM_TERMINAL_H_
