#include "profiles/pbkdf2.h"

namespace quillmeter {
namespace {

constexpr size_t kBlockSize = 64;

std::string_view Bytes(const Sha256Digest& digest) {
  return std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size());
}

// The key padded to one block and XORed with the pads, made once per key:
// PBKDF2 runs thousands of HMACs with the same key.
struct HmacKey {
  explicit HmacKey(std::string_view key) {
    std::string block(kBlockSize, '\0');
    if (key.size() > kBlockSize) {
      Sha256Digest digest = Sha256(key);
      block.replace(0, digest.size(), Bytes(digest));
    } else {
      block.replace(0, key.size(), key);
    }
    inner = outer = block;
    for (size_t i = 0; i < kBlockSize; ++i) {
      inner[i] = static_cast<char>(inner[i] ^ 0x36);
      outer[i] = static_cast<char>(outer[i] ^ 0x5c);
    }
  }

  Sha256Digest Mac(std::string_view message) const {
    Sha256Digest inside = Sha256(inner + std::string(message));
    return Sha256(outer + std::string(Bytes(inside)));
  }

  std::string inner;
  std::string outer;
};

}  // namespace

Sha256Digest HmacSha256(std::string_view key, std::string_view message) {
  return HmacKey(key).Mac(message);
}

std::string Pbkdf2HmacSha256(std::string_view password, std::string_view salt,
                             std::uint32_t iterations, size_t length) {
  const HmacKey key(password);
  std::string derived;
  for (std::uint32_t block = 1; derived.size() < length; ++block) {
    std::string first(salt);
    for (int shift = 24; shift >= 0; shift -= 8)
      first += static_cast<char>((block >> shift) & 0xff);
    Sha256Digest u = key.Mac(first);
    Sha256Digest t = u;
    for (std::uint32_t i = 1; i < iterations; ++i) {
      u = key.Mac(Bytes(u));
      for (size_t j = 0; j < t.size(); ++j) t[j] ^= u[j];
    }
    derived += Bytes(t);
  }
  derived.resize(length);
  return derived;
}

}  // namespace quillmeter
