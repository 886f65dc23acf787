#include "profiles/profile_update.h"

#include "base/text.h"

namespace quillmeter {
namespace {

std::string WithGuard(std::string_view contents, const ProfileUpdate& update) {
  const std::string_view line_end = LineEndOf(contents);
  std::string rewritten;
  bool written = update.guard_change != ProfileUpdate::Guard::kSet;
  for (const std::string& line : SplitLines(contents)) {
    if (StartsWith(line, kLogonGuardTag)) {
      if (written) continue;
      rewritten += LogonGuardLine(update.guard);
      written = true;
    } else {
      rewritten += line;
    }
    rewritten += line_end;
  }
  if (!written) rewritten += LogonGuardLine(update.guard) + std::string(line_end);
  return rewritten;
}

}  // namespace

std::string ApplyProfileUpdate(std::string_view contents, const ProfileUpdate& update) {
  std::string text =
      update.history ? ApplyHistory(contents, *update.history) : std::string(contents);
  if (update.guard_change == ProfileUpdate::Guard::kKeep) return text;
  if (update.guard_change == ProfileUpdate::Guard::kLift && !FindLogonGuard(text)) return text;
  return WithGuard(text, update);
}

Status CommitProfileUpdate(Platform& platform, const std::string& path,
                           const ProfileUpdate& update) {
  // The remote calls take a while, and several sensors keep history in one
  // profile: the older copy must never replace what the file holds now.
  std::string contents;
  if (Status read = platform.ReadFile(path, &contents); !read.ok()) return read;
  std::string updated = ApplyProfileUpdate(contents, update);
  if (updated == contents) return Status::Ok();
  return platform.AtomicReplace(path, updated);
}

Status ProbeProfileReplace(Platform& platform, const std::string& path) {
  const std::string probe = path + ".check";
  Status written = platform.AtomicReplace(probe, "");
  (void)platform.RemoveFile(probe);
  return written;
}

}  // namespace quillmeter
