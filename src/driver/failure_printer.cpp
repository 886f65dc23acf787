// How a failure the RFC library reports reaches PRTG or the console.
#include <algorithm>

#include "driver/sensor_run.h"

namespace quillmeter {
namespace {

constexpr int kLabelWidth = 15;

std::string TrimmedRight(std::string_view text) {
  size_t end = text.find_last_not_of(' ');
  return std::string(text.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

// `label` left-justified in kLabelWidth characters, " : ", the value.
void PrintField(std::ostream& out, std::string_view label, std::string_view value) {
  out << label << std::string(kLabelWidth - std::min<size_t>(label.size(), kLabelWidth), ' ')
      << " : " << value << "\n";
}

}  // namespace

void FailurePrinter::Report(const LibraryFailure& failure) {
  std::ostream& out = run_.context.out;
  if (!IsDocumentMode(run_.mode)) {
    out << "RFC error\n";
    PrintField(out, "operation/code", failure.operation);
    PrintField(out, "key", failure.key);
    PrintField(out, "status", failure.status);
    PrintField(out, "message", failure.message);
    PrintField(out, "internal status", failure.internal_status);
    out << "\n";
    out.flush();
    return;
  }
  // PRTG reads nothing but a document: the report becomes its error.
  const std::string text = "RFC error - operation/code: " + TrimmedRight(failure.operation) +
                           " - key: " + TrimmedRight(failure.key) +
                           " - status: " + TrimmedRight(failure.status) +
                           " - message: " + TrimmedRight(failure.message) +
                           " - internal status: " + TrimmedRight(failure.internal_status);
  if (run_.document_open)
    run_.writer->FailDocument(text);
  else
    run_.writer->ErrorDocument(text);
  run_.Print();
}

void FailurePrinter::Aborted() {
  if (IsDocumentMode(run_.mode)) return;
  run_.context.out << "* Programm aborted...\n";
  run_.context.out.flush();
}

}  // namespace quillmeter
