#include "platform/sha256.h"

#include <gtest/gtest.h>

#include <string>

namespace quillmeter {
namespace {

// The examples of FIPS 180-4 (one block, two blocks) and the long message
// of its test set, plus the empty message.
TEST(Sha256, PublishedVectorsOnThePlatformAndInThePortableCode) {
  const std::pair<std::string, const char*> vectors[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& [message, digest] : vectors) {
    EXPECT_EQ(HexOf(Sha256(message)), digest) << message.size() << " bytes";
    EXPECT_EQ(HexOf(PortableSha256(message)), digest) << message.size() << " bytes";
  }
}

// The padding takes a second block from 56 bytes on: every length around
// the block edges, checked through one digest of all their digests.
TEST(Sha256, LengthsAroundTheBlockEdges) {
  std::string digests, portable;
  for (size_t n = 50; n <= 130; ++n) {
    std::string message(n, static_cast<char>(n));
    digests += HexOf(Sha256(message));
    portable += HexOf(PortableSha256(message));
  }
  const char* expected = "9ab558a3ab9bbdddfaac9b12eca0d323d9ff9cec71ad9645b28b146594334a81";
  EXPECT_EQ(HexOf(Sha256(digests)), expected);
  EXPECT_EQ(HexOf(PortableSha256(portable)), expected);
}

}  // namespace
}  // namespace quillmeter
