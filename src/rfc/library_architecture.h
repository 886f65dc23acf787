// The machine a Windows library or executable is built for, read from its
// MZ/PE header, so that a library of the other bitness can be named as such
// instead of with the system's bare "not a valid application".
#ifndef QUILLMETER_RFC_LIBRARY_ARCHITECTURE_H_
#define QUILLMETER_RFC_LIBRARY_ARCHITECTURE_H_

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace quillmeter {

enum class Machine { kUnknown, kI386, kX86_64 };

// The machine named in the PE header at the start of `image`. Any input is
// safe: one that is truncated, not MZ/PE, or names another machine is
// kUnknown.
Machine PeMachine(std::string_view image);

// The machine of the file at `path`, read through `platform`; kUnknown when
// it cannot be read or is no PE image.
Machine FileMachine(Platform& platform, const std::string& path);

// When the first of `candidates` that exists (empty ones skipped) is a PE
// library for another machine than the running executable, the numbered
// message that names it and the package that fits it; otherwise empty, as
// always when the executable's own machine is unknown (non-Windows builds).
std::string OtherArchitectureError(Platform& platform, const std::vector<std::string>& candidates);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_LIBRARY_ARCHITECTURE_H_
