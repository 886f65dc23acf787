// The form in which a run renders its results.
#ifndef QUILLMETER_OUTPUT_OUTPUT_MODE_H_
#define QUILLMETER_OUTPUT_OUTPUT_MODE_H_

#include <string_view>

namespace quillmeter {

// "EXEXML" is the PRTG document; the other four are the maker's console
// products. Vorlind and Drovimo render documents too, Quintara and Talvren
// plain console text.
enum class OutputMode { kExeXml, kVorlind, kQuintara, kTalvren, kDrovimo };

// The maker's products, in the order an installation's selections count:
// when several are selected the last wins. Adding a mode means adding its
// name here and in OutputModeName, and its writer.
inline constexpr OutputMode kProductModes[] = {OutputMode::kVorlind, OutputMode::kQuintara,
                                               OutputMode::kTalvren, OutputMode::kDrovimo};

// The mode's own name, as an installation selects it ("EXEXML", "Vorlind", ...).
std::string_view OutputModeName(OutputMode mode);

// True for the modes that render a PRTG document ("EXEXML", "Drovimo",
// "Vorlind"), whose element text must be escaped.
inline bool IsDocumentMode(OutputMode mode) {
  return mode == OutputMode::kExeXml || mode == OutputMode::kDrovimo ||
         mode == OutputMode::kVorlind;
}

}  // namespace quillmeter

#endif  // QUILLMETER_OUTPUT_OUTPUT_MODE_H_
