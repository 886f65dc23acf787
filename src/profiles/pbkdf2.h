// HMAC-SHA-256 and PBKDF2-HMAC-SHA-256: a slow, salted hash for logon data
// that must be recognised again without being kept.
#ifndef QUILLMETER_PROFILES_PBKDF2_H_
#define QUILLMETER_PROFILES_PBKDF2_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/sha256.h"

namespace quillmeter {

Sha256Digest HmacSha256(std::string_view key, std::string_view message);

// The first `length` bytes of PBKDF2 with HMAC-SHA-256 over `password` and
// `salt`, `iterations` rounds per block (at least 1).
std::string Pbkdf2HmacSha256(std::string_view password, std::string_view salt,
                             std::uint32_t iterations, size_t length);

}  // namespace quillmeter

#endif  // QUILLMETER_PROFILES_PBKDF2_H_
