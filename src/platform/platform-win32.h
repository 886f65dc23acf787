// Pieces of the Windows platform that its tests reach directly.
#ifndef QUILLMETER_PLATFORM_PLATFORM_WIN32_H_
#define QUILLMETER_PLATFORM_PLATFORM_WIN32_H_

#include <string>
#include <vector>

namespace quillmeter {

// The FILE_RENAME_INFO buffer with which SetFileInformationByHandle
// (FileRenameInfoEx) renames a file over `path` (bytes in the ANSI code
// page) even while readers hold `path` open: sized exactly, holding the full
// name and a terminating zero. Empty when `path` has no wide form.
std::vector<unsigned char> PosixRenameInfo(const std::string& path);

}  // namespace quillmeter

#endif  // QUILLMETER_PLATFORM_PLATFORM_WIN32_H_
