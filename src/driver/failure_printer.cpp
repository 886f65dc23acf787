// How a failure the RFC library reports reaches PRTG or the console.
#include <algorithm>

#include "base/text.h"
#include "driver/sensor_run.h"

namespace quillmeter {
namespace {

constexpr int kLabelWidth = 15;

// `label` left-justified in kLabelWidth characters, " : ", the value.
std::string Field(std::string_view label, std::string_view value) {
  return std::string(label) +
         std::string(kLabelWidth - std::min<size_t>(label.size(), kLabelWidth), ' ') + " : " +
         std::string(value) + "\n";
}

}  // namespace

void FailurePrinter::Report(const LibraryFailure& failure) {
  answered_ = run_.Answer(1);
  if (!answered_) return;
  if (!IsDocumentMode(run_.mode)) {
    run_.Write("RFC error\n" + Field("operation/code", failure.operation) +
               Field("key", failure.key) + Field("status", failure.status) +
               Field("message", failure.message) +
               Field("internal status", failure.internal_status) + "\n");
    return;
  }
  // PRTG reads nothing but a document: the report becomes its error.
  const std::string text = LibraryFailureLine(failure);
  if (run_.document_open)
    run_.writer->FailDocument(text);
  else
    run_.writer->ErrorDocument(text);
  run_.Print();
}

void FailurePrinter::Aborted() {
  if (!IsDocumentMode(run_.mode) && answered_) run_.Write("* Programm aborted...\n");
}

}  // namespace quillmeter
