#include "profiles/pbkdf2.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text.h"

namespace quillmeter {
namespace {

std::string Hex(std::string_view bytes) { return LowerHex(bytes); }

std::string Hex(const Sha256Digest& digest) { return HexOf(digest); }

std::string Repeated(char c, size_t n) { return std::string(n, c); }

// RFC 4231, test cases 1-4, 6 and 7 (key of a block and longer), and the
// first 128 bits of case 5.
TEST(HmacSha256, PublishedVectors) {
  std::string counting;
  for (char c = 1; c <= 25; ++c) counting += c;
  const struct {
    std::string key, message;
    const char* mac;
  } cases[] = {
      {Repeated('\x0b', 20), "Hi There",
       "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
      {"Jefe", "what do ya want for nothing?",
       "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
      {Repeated('\xaa', 20), Repeated('\xdd', 50),
       "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe"},
      {counting, Repeated('\xcd', 50),
       "82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b"},
      {Repeated('\xaa', 131), "Test Using Larger Than Block-Size Key - Hash Key First",
       "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
      {Repeated('\xaa', 131),
       "This is a test using a larger than block-size key and a larger than block-size data. "
       "The key needs to be hashed before being used by the HMAC algorithm.",
       "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2"},
  };
  for (const auto& c : cases) EXPECT_EQ(Hex(HmacSha256(c.key, c.message)), c.mac) << c.message;
  EXPECT_EQ(Hex(HmacSha256(Repeated('\x0c', 20), "Test With Truncation")).substr(0, 32),
            "a3b6167473100ee06e0c796c2955552b");
}

// RFC 7914 section 11: two blocks of output, one and 80,000 rounds.
TEST(Pbkdf2HmacSha256, PublishedVectors) {
  EXPECT_EQ(Hex(Pbkdf2HmacSha256("passwd", "salt", 1, 64)),
            "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
            "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783");
  EXPECT_EQ(Hex(Pbkdf2HmacSha256("Password", "NaCl", 80000, 64)),
            "4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56"
            "a1d425a1225833549adb841b51c9b3176a272bdebba1d078478f62b397f33c8d");
  // A length that ends inside a block is that block cut.
  EXPECT_EQ(Hex(Pbkdf2HmacSha256("passwd", "salt", 1, 40)),
            Hex(Pbkdf2HmacSha256("passwd", "salt", 1, 64)).substr(0, 80));
}

}  // namespace
}  // namespace quillmeter
