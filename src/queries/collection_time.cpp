// Provisional: the collection time query is not built yet.
#include "queries/collection_time.h"

namespace quillmeter {

RFC_RC ReadCollectionTime(RunState&) { return kRfcFailure; }

void TakeCollectionTime(RunState&, std::string_view) {}

}  // namespace quillmeter
