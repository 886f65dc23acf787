// quillmeter-password: makes the stored form of an RFC user's password for a
// system profile, and can put it into the profile itself.
#ifndef QUILLMETER_TOOLS_PASSWORD_TOOL_H_
#define QUILLMETER_TOOLS_PASSWORD_TOOL_H_

#include <istream>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/terminal.h"

namespace quillmeter {

// Runs the tool on `args` (without the program name): reads the password,
// from `terminal` without echo and twice when it is interactive, else as one
// line from `in`, and prints its stored form on `out`, or with a profile
// path rewrites that profile's password line. "--retry PROFILE" removes the
// profile's logon guard line alone. Returns 0 on success, 1 when the
// password or the profile is refused (message on `err`), 2 on misuse.
int RunPasswordTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err, Platform& platform, Terminal& terminal);

// Why `password` cannot be stored ("" when it can): empty, shorter than the
// profile accepts, longer than 20 characters, or not printable ASCII.
std::string RefusePassword(std::string_view password);

// A stored form of `password` with an offset and filler drawn from `random`
// that holds only printable ASCII and does not end in a blank, and that
// unscrambles back to `password`. "" with *error set when there is none.
std::string MakeStoredPassword(std::string_view password, std::mt19937& random, std::string* error);

// `contents` with the value of every "Password...:" line replaced by
// `stored`, every other byte kept. Without such a line, one is appended in
// the file's line-ending style.
std::string ReplacePasswordLines(std::string_view contents, std::string_view stored);

}  // namespace quillmeter

#endif  // QUILLMETER_TOOLS_PASSWORD_TOOL_H_
