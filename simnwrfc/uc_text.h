// The simulated library's text conversion between the systems' bytes
// (Windows-1252, as SAP's non-Unicode systems hand them to the classic
// library) and the NetWeaver library's UTF-16 code units.
#ifndef QUILLMETER_SIMNWRFC_UC_TEXT_H_
#define QUILLMETER_SIMNWRFC_UC_TEXT_H_

#include <string>

#include "nwrfc_abi.h"

namespace simnwrfc {

// The longest text taken from a caller's SAP_UC*: a missing terminator must
// not run the library off its memory.
inline constexpr size_t kMaxText = 1024;

// Windows-1252 bytes as UTF-16.
std::u16string FromBytes(const std::string& bytes);

// A caller's zero-terminated text, at most `limit` units; empty for null.
std::u16string Taken(const SAP_UC* text, size_t limit = kMaxText);

// UTF-16 as Windows-1252 bytes; '?' for what that code page lacks.
std::string ToBytes(const std::u16string& text);

// A caller's text as the call log shows it: bracketed, ASCII as it stands,
// other units as \xNN or \uNNNN; a null pointer as (null).
std::string ShownUc(const SAP_UC* text, size_t limit = kMaxText);

// Copies `text` into a field of `capacity` units, cut to leave room for the
// terminator, zero-filled after it.
void CopyTerminated(const std::u16string& text, SAP_UC* field, size_t capacity);

}  // namespace simnwrfc

#endif  // QUILLMETER_SIMNWRFC_UC_TEXT_H_
