#include <windows.h>
// windows.h first: bcrypt.h relies on its types.
#include <bcrypt.h>

#include "platform/sha256.h"

namespace quillmeter {
namespace {

// Opened once for the whole process; null when BCrypt has no SHA-256.
BCRYPT_ALG_HANDLE Algorithm() {
  static const BCRYPT_ALG_HANDLE algorithm = [] {
    BCRYPT_ALG_HANDLE handle = nullptr;
    if (BCryptOpenAlgorithmProvider(&handle, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0)
      return BCRYPT_ALG_HANDLE(nullptr);
    return handle;
  }();
  return algorithm;
}

}  // namespace

Sha256Digest Sha256(std::string_view data) {
  BCRYPT_ALG_HANDLE algorithm = Algorithm();
  if (algorithm == nullptr || data.size() > 0xFFFFFFFFu) return PortableSha256(data);
  Sha256Digest digest;
  BCRYPT_HASH_HANDLE hash = nullptr;
  // Without an object buffer BCrypt keeps the hash's state itself.
  bool ok = BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) >= 0;
  ok = ok && BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(data.data())),
                            static_cast<ULONG>(data.size()), 0) >= 0;
  ok = ok && BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0) >= 0;
  if (hash != nullptr) BCryptDestroyHash(hash);
  return ok ? digest : PortableSha256(data);
}

}  // namespace quillmeter
