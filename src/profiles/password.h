// Stored passwords: the scrambled 24-character form of the RFC user's
// password in a system profile, and the way back to the password.
#ifndef QUILLMETER_PROFILES_PASSWORD_H_
#define QUILLMETER_PROFILES_PASSWORD_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillmeter {

// PasswordKey. Every entry is below 32, so XOR touches only the low five bits
// and a character stays in its block of 32: printable text stays printable,
// except that the block 96-127 holds DEL, which the writer steers around.
inline constexpr std::array<std::uint8_t, 32> kPasswordKey = {
    7,  12, 3,  9, 21, 30, 1,  18, 26, 14, 5,  28, 11, 23, 20, 17,
    31, 8,  25, 2, 19, 13, 29, 6,  22, 10, 27, 4,  16, 24, 15, 0};

inline constexpr size_t kStoredPasswordLength = 24;
inline constexpr size_t kMaxPasswordLength = 20;

enum class PasswordFault { kNone, kInvalid, kWrong };

struct UnscrambledPassword {
  PasswordFault fault = PasswordFault::kNone;
  std::string password;  // empty unless fault is kNone
  // For kInvalid, what is wrong with the form (its length, or which of its
  // characters), never the form itself.
  std::string invalid_because;
};

// Turns a stored form back into the password. kInvalid when `stored` is not
// exactly 24 characters or its header is not four digits; kWrong when the
// check digit does not match.
UnscrambledPassword UnscramblePassword(std::string_view stored);

// The stored form of `password` with key offset `offset` (0-9), padded to 20
// characters with `filler`. Returns "" unless the password has at most 20
// characters and password plus filler are exactly 20.
std::string ScramblePassword(std::string_view password, int offset, std::string_view filler);

}  // namespace quillmeter

#endif  // QUILLMETER_PROFILES_PASSWORD_H_
