// The classic library's failure handler. When the library cannot go on it
// calls the handler registered with RfcEnvironment; the sensor then reports
// the library's last error and ends the process, the one place that ends it
// from deep inside. Faults on internal tables and structure types, which
// leave the library in no state to go on either, are reported the same way.
#ifndef QUILLMETER_RFC_FAILURE_H_
#define QUILLMETER_RFC_FAILURE_H_

#include <ostream>
#include <string_view>

#include "platform/platform.h"
#include "rfc/rfc_library.h"

namespace quillmeter {

class FailureReporter {
 public:
  // Reports on `out`, ends the process through `platform`.
  FailureReporter(RfcLibrary& rfc, std::ostream& out, Platform& platform);
  ~FailureReporter();
  FailureReporter(const FailureReporter&) = delete;
  FailureReporter& operator=(const FailureReporter&) = delete;

  // Registers the RFC environment with this reporter behind the library's
  // error handler (no allocator).
  void RegisterEnvironment();

  // Prints "RFC error", the operation and the library's last-error fields
  // as plain text, closes every connection and ends the process with exit
  // code 1.
  [[noreturn]] void Report(std::string_view operation);

 private:
  RfcLibrary& rfc_;
  std::ostream& out_;
  Platform& platform_;
  // Set while a report is printed: a library that calls the handler again
  // from RfcLastError or RfcClose must not start a second report.
  bool reporting_ = false;
};

// Prints `indent` blanks, `label` left-justified in `width` characters (a
// longer label stays whole), " : ", `value` and a line feed.
void PrintField(std::ostream& out, std::string_view label, int indent, int width,
                std::string_view value);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_FAILURE_H_
