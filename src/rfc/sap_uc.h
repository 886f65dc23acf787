// The NetWeaver library's characters: UTF-16 code units in host byte order
// on every platform, and the sensor's own conversion to and from the
// profile's bytes (Windows-1252).
#ifndef QUILLMETER_RFC_SAP_UC_H_
#define QUILLMETER_RFC_SAP_UC_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace quillmeter {

// Two bytes everywhere; wchar_t is four on Linux and would not match the
// library's strings.
using SapUc = char16_t;
static_assert(sizeof(SapUc) == 2);

// `text` read as Windows-1252. The five bytes that code page leaves
// undefined become the C1 code points of the same value, as Windows' own
// conversion does, so every byte survives the way back.
std::u16string SapUcFromCp1252(std::string_view text);

// At most `size` code units at `text`, up to the first NUL, as
// Windows-1252: what has no byte there (and any lone or paired surrogate)
// becomes one '?'. A null `text` is "".
std::string Cp1252FromSapUc(const SapUc* text, size_t size);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_SAP_UC_H_
