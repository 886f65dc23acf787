// Loading the vendor's RFC library at run time.
#ifndef QUILLMETER_RFC_RFC_LOADER_H_
#define QUILLMETER_RFC_RFC_LOADER_H_

#include "driver/run_state.h"

namespace quillmeter {

// Loads librfc32 into run.rfc (once; later calls return true at once):
// first from the executable's own directory, then from the system's search
// path. Every operation must be present. Returns false with an error result
// naming the library, what is missing and the system's reason ("Error 1040"
// cannot be loaded, "Error 1041" an operation is missing); a library built
// for the other bitness is named with the package that fits it.
bool LoadRfcLibrary(RunState& run);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_RFC_LOADER_H_
