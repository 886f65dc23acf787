// SHA-256: from the operating system where it has one (Windows' BCrypt),
// else the small implementation beside this file.
#ifndef QUILLMETER_PLATFORM_SHA256_H_
#define QUILLMETER_PLATFORM_SHA256_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillmeter {

using Sha256Digest = std::array<std::uint8_t, 32>;

// The digest of `data`. Never fails: a Windows without SHA-256 in BCrypt
// has the portable implementation to fall back on.
Sha256Digest Sha256(std::string_view data);

// The digest as 64 lower-case hex digits.
std::string HexOf(const Sha256Digest& digest);

// The portable implementation, on every platform, so that the OS's answer
// can be held against it.
Sha256Digest PortableSha256(std::string_view data);

}  // namespace quillmeter

#endif  // QUILLMETER_PLATFORM_SHA256_H_
