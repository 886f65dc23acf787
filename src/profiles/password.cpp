#include "profiles/password.h"

#include <string>

namespace quillmeter {
namespace {

constexpr size_t kBlock = kMaxPasswordLength;
constexpr size_t kHeader = kStoredPasswordLength - kBlock;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsAlphanumeric(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Xor(char c, std::uint8_t key) {
  return static_cast<char>(static_cast<unsigned char>(c) ^ key);
}

// The last decimal digit of the sum of the alphanumeric codes; the filler
// counts too, so the check covers the whole block.
int CheckDigit(std::string_view plain) {
  unsigned sum = 0;
  for (char c : plain)
    if (IsAlphanumeric(c)) sum += static_cast<unsigned char>(c);
  return static_cast<int>(sum % 10);
}

}  // namespace

UnscrambledPassword UnscramblePassword(std::string_view stored) {
  UnscrambledPassword result;
  if (stored.size() != kStoredPasswordLength) {
    result.fault = PasswordFault::kInvalid;
    result.invalid_because = "the stored form has " + std::to_string(stored.size()) +
                             " characters, not " + std::to_string(kStoredPasswordLength);
    return result;
  }
  int header[kHeader];
  for (size_t i = 0; i < kHeader; ++i) {
    char digit = Xor(stored[i], kPasswordKey[i]);
    if (!IsDigit(digit)) {
      // Each header place holds one of the ten characters that are a digit
      // under its key.
      result.fault = PasswordFault::kInvalid;
      result.invalid_because = "character " + std::to_string(i + 1) +
                               " of the stored form is outside the form's alphabet";
      return result;
    }
    header[i] = digit - '0';
  }
  const int check = header[0];
  const size_t offset = static_cast<size_t>(header[1]);
  const size_t length = static_cast<size_t>(header[2] * 10 + header[3]);

  std::string block(kBlock, '\0');
  for (size_t i = 0; i < kBlock; ++i) block[i] = Xor(stored[kHeader + i], kPasswordKey[offset + i]);
  // The block holds the plain text from both ends towards the middle.
  std::string plain(kBlock, '\0');
  for (size_t i = 0; i < kBlock / 2; ++i) {
    plain[2 * i] = block[i];
    plain[2 * i + 1] = block[kBlock - 1 - i];
  }
  if (CheckDigit(plain) != check) {
    result.fault = PasswordFault::kWrong;
    return result;
  }
  result.password = plain.substr(0, length < kBlock ? length : kBlock);
  return result;
}

std::string ScramblePassword(std::string_view password, int offset, std::string_view filler) {
  if (password.size() > kMaxPasswordLength || password.size() + filler.size() != kBlock ||
      offset < 0 || offset > 9)
    return "";
  std::string plain(password);
  plain += filler;
  const size_t length = password.size();
  std::string stored;
  stored += Xor(static_cast<char>('0' + CheckDigit(plain)), kPasswordKey[0]);
  stored += Xor(static_cast<char>('0' + offset), kPasswordKey[1]);
  stored += Xor(static_cast<char>('0' + length / 10), kPasswordKey[2]);
  stored += Xor(static_cast<char>('0' + length % 10), kPasswordKey[3]);
  std::string block(kBlock, '\0');
  for (size_t i = 0; i < kBlock / 2; ++i) {
    block[i] = plain[2 * i];
    block[kBlock - 1 - i] = plain[2 * i + 1];
  }
  for (size_t i = 0; i < kBlock; ++i)
    stored += Xor(block[i], kPasswordKey[static_cast<size_t>(offset) + i]);
  return stored;
}

}  // namespace quillmeter
