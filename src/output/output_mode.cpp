#include "output/output_mode.h"

namespace quillmeter {

std::string_view OutputModeName(OutputMode mode) {
  switch (mode) {
    case OutputMode::kExeXml: return "EXEXML";
    case OutputMode::kVorlind: return "Vorlind";
    case OutputMode::kQuintara: return "Quintara";
    case OutputMode::kTalvren: return "Talvren";
    case OutputMode::kDrovimo: return "Drovimo";
  }
  return "EXEXML";
}

}  // namespace quillmeter
