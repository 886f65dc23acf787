// The product's name and version, as the banner and the listing show them.
#ifndef QUILLMETER_BASE_PRODUCT_H_
#define QUILLMETER_BASE_PRODUCT_H_

namespace quillmeter {

inline constexpr const char kProductName[] = "Quillmeter";
inline constexpr const char kVersionText[] = "Vers 4.3 / 29.08.22";

}  // namespace quillmeter

#endif  // QUILLMETER_BASE_PRODUCT_H_
