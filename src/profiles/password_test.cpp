#include "profiles/password.h"

#include <gtest/gtest.h>

#include <random>

namespace quillmeter {
namespace {

int AlphanumericSumDigit(const std::string& plain) {
  unsigned sum = 0;
  for (unsigned char c : plain)
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) sum += c;
  return static_cast<int>(sum % 10);
}

// Builds a stored form from its parts by hand, so that headers the writer
// never produces (length above 20, a wrong check digit) can be tried.
std::string HandBuilt(int check, int offset, int length, const std::string& plain) {
  std::string stored;
  const char header[4] = {static_cast<char>('0' + check), static_cast<char>('0' + offset),
                          static_cast<char>('0' + length / 10),
                          static_cast<char>('0' + length % 10)};
  for (size_t i = 0; i < 4; ++i) stored += static_cast<char>(header[i] ^ kPasswordKey[i]);
  std::string block(20, ' ');
  for (size_t i = 0; i < 10; ++i) {
    block[i] = plain[2 * i];
    block[19 - i] = plain[2 * i + 1];
  }
  for (size_t i = 0; i < 20; ++i)
    stored += static_cast<char>(block[i] ^ kPasswordKey[static_cast<size_t>(offset) + i]);
  return stored;
}

TEST(PasswordTest, StoredFormOfWrongLengthOrHeaderIsInvalid) {
  const std::string good = ScramblePassword("Secret12", 4, "xyzXYZ-_01+=");
  ASSERT_EQ(UnscramblePassword(good).password, "Secret12");
  std::string bad_header = good;
  bad_header[1] = static_cast<char>('x' ^ kPasswordKey[1]);
  std::string high_bytes(24, '\xff');
  const std::string cases[] = {good.substr(0, 23), good + "x", good + " ", "",
                               good + good,        bad_header, high_bytes, std::string(24, '\0')};
  for (const std::string& stored : cases)
    EXPECT_EQ(UnscramblePassword(stored).fault, PasswordFault::kInvalid) << stored;
}

TEST(PasswordTest, HeaderGivesCheckOffsetAndLength) {
  std::string plain = "Abcdefghijkl!#$%&()*";
  // Pick the last character so that the check digit is 7.
  for (char c = 'a'; AlphanumericSumDigit(plain) != 7; ++c) plain[19] = c;
  UnscrambledPassword result = UnscramblePassword(HandBuilt(7, 0, 12, plain));
  EXPECT_EQ(result.fault, PasswordFault::kNone);
  EXPECT_EQ(result.password, "Abcdefghijkl");

  EXPECT_EQ(UnscramblePassword(HandBuilt(7, 0, 0, plain)).password, "");
  EXPECT_EQ(UnscramblePassword(HandBuilt(7, 0, 0, plain)).fault, PasswordFault::kNone);
  EXPECT_EQ(UnscramblePassword(HandBuilt(7, 9, 99, plain)).password, plain);
  EXPECT_EQ(UnscramblePassword(HandBuilt(7, 9, 21, plain)).password, plain);
  EXPECT_EQ(UnscramblePassword(HandBuilt(8, 0, 12, plain)).fault, PasswordFault::kWrong);
}

TEST(PasswordTest, CheckDigitCoversFillerButOnlyLettersAndDigits) {
  const std::string plain = "pw!!!!!!!!!!!!!!!!!!";
  const int check = AlphanumericSumDigit(plain);
  EXPECT_EQ(UnscramblePassword(HandBuilt(check, 2, 2, plain)).password, "pw");
  // Punctuation and bytes above ASCII do not count; a letter in the filler does.
  std::string other = plain;
  other[10] = '\xe9';
  other[11] = '#';
  EXPECT_EQ(UnscramblePassword(HandBuilt(check, 2, 2, other)).password, "pw");
  other[12] = 'a';  // 97: changes the last digit
  EXPECT_EQ(UnscramblePassword(HandBuilt(check, 2, 2, other)).fault, PasswordFault::kWrong);
}

TEST(PasswordTest, ScrambledPasswordsComeBack) {
  std::mt19937 random(20260807);
  std::uniform_int_distribution<int> byte(0, 255), offset(0, 9), length(0, 20);
  for (int run = 0; run < 3000; ++run) {
    std::string password, filler;
    int n = length(random);
    for (int i = 0; i < n; ++i) password += static_cast<char>(byte(random) % 95 + 32);
    // Filler may be anything: the check digit covers it, the length hides it.
    for (int i = n; i < 20; ++i) filler += static_cast<char>(byte(random));
    int s = offset(random);
    std::string stored = ScramblePassword(password, s, filler);
    ASSERT_EQ(stored.size(), 24u) << password;
    UnscrambledPassword back = UnscramblePassword(stored);
    EXPECT_EQ(back.fault, PasswordFault::kNone) << password << " offset " << s;
    EXPECT_EQ(back.password, password) << " offset " << s;
  }
}

TEST(PasswordTest, ScrambleRefusesWhatDoesNotFit) {
  EXPECT_EQ(ScramblePassword(std::string(21, 'a'), 0, ""), "");
  EXPECT_EQ(ScramblePassword("abc", 0, "short"), "");
  EXPECT_EQ(ScramblePassword("abc", 10, std::string(17, 'x')), "");
  EXPECT_EQ(ScramblePassword("abc", -1, std::string(17, 'x')), "");
}

}  // namespace
}  // namespace quillmeter
