// Provisional: the logging rates are not built yet.
#include "queries/logging_rates.h"

namespace quillmeter {

RFC_RC ComputeLoggingRates(RunState&) { return kRfcFailure; }

}  // namespace quillmeter
