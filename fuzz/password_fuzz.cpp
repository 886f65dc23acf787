// The password unscrambler: any stored form, and the round trip of the
// writer's scrambling for any password and filler.
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "profiles/password.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillmeter;
  std::string_view input(reinterpret_cast<const char*>(data), size);

  UnscrambledPassword result = UnscramblePassword(input);
  if (input.size() != kStoredPasswordLength && result.fault != PasswordFault::kInvalid)
    Require("a stored form of the wrong length was taken", input);
  if (result.fault != PasswordFault::kNone && !result.password.empty())
    Require("a faulty stored form gave a password", input);
  if (result.password.size() > kMaxPasswordLength) Require("password too long", input);

  // First byte: key offset and password length; the rest: password, filler.
  if (size < 1) return 0;
  int offset = data[0] % 10;
  size_t length = std::min<size_t>(data[0] / 10 % 21, size - 1);
  std::string_view rest = input.substr(1);
  std::string password(rest.substr(0, length));
  std::string filler(rest.substr(length, kMaxPasswordLength - length));
  filler.resize(kMaxPasswordLength - length, 'x');
  std::string stored = ScramblePassword(password, offset, filler);
  if (stored.size() != kStoredPasswordLength) Require("scrambling failed", input);
  UnscrambledPassword back = UnscramblePassword(stored);
  if (back.fault != PasswordFault::kNone || back.password != password)
    Require("the round trip lost the password", input);
  return 0;
}
