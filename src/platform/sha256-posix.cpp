#include "platform/sha256.h"

namespace quillmeter {

Sha256Digest Sha256(std::string_view data) { return PortableSha256(data); }

}  // namespace quillmeter
