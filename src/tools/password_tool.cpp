#include "tools/password_tool.h"

#include <algorithm>
#include <array>

#include "base/text.h"
#include "profiles/logon_guard.h"
#include "profiles/password.h"
#include "profiles/profile_update.h"

namespace quillmeter {
namespace {

constexpr const char kPasswordLineKey[] = "Password...:";
constexpr size_t kValueColumn = 25;
// The profile reader refuses a shorter password.
constexpr size_t kMinPasswordLength = 2;
// Enough to tell a long password from a short one without holding all input.
constexpr size_t kReadLimit = 256;

constexpr const char kHelp[] =
    "Usage: quillmeter-password [PROFILE]\n"
    "       quillmeter-password --retry PROFILE\n"
    "\n"
    "Makes the stored form of an RFC user's password for a Quillmeter system\n"
    "profile. The password is read as one line from standard input, never from\n"
    "the command line, where shell history and process lists would keep it.\n"
    "On a terminal it is asked for twice and not shown as it is typed.\n"
    "It must have 2 to 20 printable ASCII characters.\n"
    "\n"
    "  quillmeter-password\n"
    "      Type the password and press Enter (or pipe it in). Prints the\n"
    "      24-character stored form. It belongs on the \"Password...:\" line\n"
    "      of the profile, after the 12-character key and 13 blanks, with\n"
    "      nothing after it, not even a blank.\n"
    "\n"
    "  quillmeter-password PROFILE\n"
    "      Puts the stored form into the \"Password...:\" line of PROFILE in\n"
    "      place (a new file is written beside it and renamed over it); every\n"
    "      other line stays as it is. Without such a line, one is added.\n"
    "      The logon guard line (\"# Alb\") goes with the old password.\n"
    "\n"
    "  quillmeter-password --retry PROFILE\n"
    "      Removes the logon guard line (\"# Alb\") from PROFILE alone, the same\n"
    "      way, when the password was put right in SAP instead: the next scan\n"
    "      logs on again. No password is read.\n"
    "\n"
    "Each run picks a new random form; every one of them is valid.\n";

bool IsPrintable(char c) { return c >= ' ' && c <= '~'; }

// A character an editor or the profile reader keeps as it is.
bool IsClean(char c, bool last) { return IsPrintable(c) && !(last && c == ' '); }

bool IsCleanStoredForm(std::string_view stored) {
  for (size_t i = 0; i < stored.size(); ++i)
    if (!IsClean(stored[i], i + 1 == stored.size())) return false;
  return !stored.empty();
}

// Where character `p` of the plain text lands in the scrambled block.
size_t BlockIndex(size_t p) { return p % 2 == 0 ? p / 2 : kMaxPasswordLength - 1 - (p - 1) / 2; }

char Scrambled(char c, int offset, size_t block_index) {
  return static_cast<char>(static_cast<unsigned char>(c) ^
                           kPasswordKey[static_cast<size_t>(offset) + block_index]);
}

// Filler for `offset` that keeps the block clean, or false when a password
// character itself would become unclean under this offset.
bool ChooseFiller(std::string_view password, int offset, std::mt19937& random,
                  std::string* filler) {
  filler->clear();
  for (size_t p = 0; p < kMaxPasswordLength; ++p) {
    size_t index = BlockIndex(p);
    bool last = index + 1 == kMaxPasswordLength;
    if (p < password.size()) {
      if (!IsClean(Scrambled(password[p], offset, index), last)) return false;
      continue;
    }
    std::string candidates;
    for (char c = '!'; c <= '~'; ++c)
      if (IsClean(Scrambled(c, offset, index), last)) candidates += c;
    std::uniform_int_distribution<size_t> pick(0, candidates.size() - 1);
    *filler += candidates[pick(random)];
  }
  return true;
}

// Calls `take(line, ending)` for each line of `contents`, with its line end
// as it stands ("\n", "\r\n", "\r", or "" for a last line without one).
template <typename Take>
void ForEachLine(std::string_view contents, Take take) {
  size_t start = 0;
  while (start < contents.size()) {
    size_t end = contents.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = contents.size();
    size_t next = end;
    if (next < contents.size()) {
      ++next;
      if (contents[end] == '\r' && next < contents.size() && contents[next] == '\n') ++next;
    }
    take(contents.substr(start, end - start), contents.substr(end, next - end));
    start = next;
  }
}

// One line of standard input without its line end; at most kReadLimit
// characters are kept, *length counts them all.
std::string ReadPasswordLine(std::istream& in, size_t* length) {
  std::string line;
  *length = 0;
  char c;
  while (in.get(c) && c != '\n') {
    if (line.size() < kReadLimit) line += c;
    ++*length;
  }
  if (!line.empty() && line.back() == '\r' && *length == line.size()) {
    line.pop_back();
    --*length;
  }
  return line;
}

// --retry: the logon guard lines of the profile at `path` go, line ends and
// all, in one atomic replace; every other byte stays.
int LiftLogonGuard(const std::string& path, std::ostream& out, std::ostream& err,
                   Platform& platform) {
  std::string contents;
  if (Status read = platform.ReadFile(path, &contents); !read.ok()) {
    err << "quillmeter-password: cannot read the profile: " << read.Text() << "\n";
    return 1;
  }
  std::string lifted;
  ForEachLine(contents, [&](std::string_view line, std::string_view ending) {
    if (!StartsWith(line, kLogonGuardTag)) lifted.append(line).append(ending);
  });
  if (lifted == contents) {
    out << path << " holds no logon guard line; it is unchanged\n";
    return 0;
  }
  if (Status replaced = platform.AtomicReplace(path, lifted); !replaced.ok()) {
    err << "quillmeter-password: cannot rewrite the profile, it is unchanged: " << replaced.Text()
        << "\n";
    return 1;
  }
  out << "Logon guard line removed from " << path << ": the next scan logs on again\n";
  return 0;
}

}  // namespace

std::string RefusePassword(std::string_view password) {
  if (password.empty()) return "the password is empty";
  if (password.size() > kMaxPasswordLength)
    return "the password has " + std::to_string(password.size()) +
           " characters; a stored password holds at most 20";
  if (password.size() < kMinPasswordLength)
    return "the password has 1 character; the sensor needs at least 2";
  for (char c : password)
    if (!IsPrintable(c))
      return "the password holds a character outside printable ASCII (codes 32 to 126)";
  return "";
}

std::string MakeStoredPassword(std::string_view password, std::mt19937& random,
                               std::string* error) {
  std::string refusal = RefusePassword(password);
  if (!refusal.empty()) {
    *error = refusal;
    return "";
  }
  std::array<int, 10> offsets = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  std::shuffle(offsets.begin(), offsets.end(), random);
  std::string filler;
  for (int offset : offsets) {
    if (!ChooseFiller(password, offset, random, &filler)) continue;
    std::string stored = ScramblePassword(password, offset, filler);
    UnscrambledPassword back = UnscramblePassword(stored);
    if (IsCleanStoredForm(stored) && back.fault == PasswordFault::kNone &&
        back.password == password)
      return stored;
  }
  *error =
      "every stored form of this password would hold a DEL character or end in a blank, "
      "which a profile could lose; choose another password";
  return "";
}

std::string ReplacePasswordLines(std::string_view contents, std::string_view stored) {
  std::string result;
  result.reserve(contents.size() + kValueColumn + stored.size() + 2);
  std::string_view file_ending;
  std::string_view last_ending;
  bool replaced = false;
  ForEachLine(contents, [&](std::string_view line, std::string_view ending) {
    last_ending = ending;
    if (file_ending.empty()) file_ending = last_ending;
    if (StartsWith(line, kPasswordLineKey)) {
      // Columns 12-24 may carry the administrator's own text; keep it.
      std::string head(line.substr(0, kValueColumn));
      head.resize(kValueColumn, ' ');
      result += head;
      result += stored;
      replaced = true;
    } else {
      result += line;
    }
    result += last_ending;
  });
  if (!replaced) {
    std::string_view ending = file_ending.empty() ? "\n" : file_ending;
    if (!contents.empty() && last_ending.empty()) result += ending;
    std::string head = kPasswordLineKey;
    head.resize(kValueColumn, ' ');
    result += head;
    result += stored;
    result += ending;
  }
  return result;
}

int RunPasswordTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                    std::ostream& err, Platform& platform, Terminal& terminal) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h" || arg == "/?") {
      out << kHelp;
      return 0;
    }
  }
  if (!args.empty() && args[0] == "--retry") {
    if (args.size() != 2 || args[1].empty()) {
      err << "quillmeter-password: --retry takes one profile path; see --help\n";
      return 2;
    }
    return LiftLogonGuard(args[1], out, err, platform);
  }
  if (args.size() > 1 || (!args.empty() && (args[0].empty() || args[0][0] == '-'))) {
    err << "quillmeter-password: expected at most one profile path; see --help\n";
    return 2;
  }

  size_t length = 0;
  std::string password;
  if (terminal.IsInteractive()) {
    // Typed by hand: no echo, and twice, as a typo would lock the RFC user.
    std::string again;
    if (!terminal.ReadHidden("Password: ", &password).ok()) {
      err << "quillmeter-password: no password was typed; nothing was written\n";
      return 1;
    }
    if (!terminal.ReadHidden("Password again: ", &again).ok() || again != password) {
      err << "quillmeter-password: the two passwords differ; nothing was written\n";
      return 1;
    }
    length = password.size();
  } else {
    password = ReadPasswordLine(in, &length);
  }
  std::string refusal = length > kMaxPasswordLength
                            ? "the password has " + std::to_string(length) +
                                  " characters; a stored password holds at most 20"
                            : RefusePassword(password);
  if (!refusal.empty()) {
    err << "quillmeter-password: " << refusal << "\n";
    return 1;
  }

  if (password.find(' ') != std::string::npos)
    err << "quillmeter-password: warning: the password holds a blank; a logon through a "
           "SapRfc.<DEST> file (the connect string) refuses it with Error 1042\n";

  std::random_device device;
  std::seed_seq seed{device(), device(), device(), device()};
  std::mt19937 random(seed);
  std::string error;
  std::string stored = MakeStoredPassword(password, random, &error);
  if (stored.empty()) {
    err << "quillmeter-password: " << error << "\n";
    return 1;
  }

  if (args.empty()) {
    out << stored << "\n";
    return 0;
  }
  const std::string& path = args[0];
  std::string contents;
  if (Status read = platform.ReadFile(path, &contents); !read.ok()) {
    err << "quillmeter-password: cannot read the profile: " << read.Text() << "\n";
    return 1;
  }
  // New logon data lift the logon guard; the line goes with them.
  ProfileUpdate lift;
  lift.guard_change = ProfileUpdate::Guard::kLift;
  std::string rewritten = ApplyProfileUpdate(ReplacePasswordLines(contents, stored), lift);
  if (Status replaced = platform.AtomicReplace(path, rewritten); !replaced.ok()) {
    err << "quillmeter-password: cannot rewrite the profile, it is unchanged: " << replaced.Text()
        << "\n";
    return 1;
  }
  out << "Stored password written to the \"Password...:\" line of " << path << "\n";
  return 0;
}

}  // namespace quillmeter
