// The classic library's failure handler. When the library cannot go on it
// calls the handler registered with RfcEnvironment; the sensor then reports
// the library's last error and ends the process, the one place that ends it
// from deep inside. Faults on internal tables and structure types, which
// leave the library in no state to go on either, are reported the same way.
// The driver prints the report, as it knows the form of the output.
#ifndef QUILLMETER_RFC_FAILURE_H_
#define QUILLMETER_RFC_FAILURE_H_

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "rfc/rfc_library.h"

namespace quillmeter {

// What a library failure report says: the operation and the library's
// last-error fields, each as the library gave it.
struct LibraryFailure {
  std::string operation;
  std::string key;
  std::string status;
  std::string message;
  std::string internal_status;
};

// The failure as one line: "RFC error - operation/code: ... - key: ... -
// status: ... - message: ... - internal status: ...", each field without
// its trailing blanks.
std::string LibraryFailureLine(const LibraryFailure& failure);

// Where a library failure is reported.
class FailureSink {
 public:
  virtual ~FailureSink() = default;
  // The report, made while the library's connections are still open.
  virtual void Report(const LibraryFailure& failure) = 0;
  // The last word, once every connection is closed.
  virtual void Aborted() = 0;
};

class FailureReporter {
 public:
  // Reports to `sink`, ends the process through `platform`.
  FailureReporter(RfcLibrary& rfc, FailureSink& sink, Platform& platform);
  ~FailureReporter();
  FailureReporter(const FailureReporter&) = delete;
  FailureReporter& operator=(const FailureReporter&) = delete;

  // Registers the RFC environment with this reporter behind the library's
  // error handler (no allocator).
  void RegisterEnvironment();

  // Reports the operation with the library's last-error fields, closes
  // every connection and ends the process with exit code 1.
  [[noreturn]] void Report(std::string_view operation);

 private:
  RfcLibrary& rfc_;
  FailureSink& sink_;
  Platform& platform_;
  // Set while a report is made: a library that calls the handler again from
  // RfcLastError or RfcClose must not start a second report.
  bool reporting_ = false;
  bool reported_ = false;
  LibraryFailure failure_;
};

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_FAILURE_H_
