// Provisional: the multi-system run is not built yet.
#include "profiles/multi_system_run.h"

#include "driver/run.h"
#include "output/document.h"

namespace quillmeter {

int RunMultiSystem(RunState& run) {
  SetErrorResult(run, "Error 1025: Global Server Listing missing...");
  return PrintErrorResult(run);
}

}  // namespace quillmeter
