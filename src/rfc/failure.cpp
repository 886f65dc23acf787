#include "rfc/failure.h"

#include <cstring>
#include <string>

#include "base/text.h"

namespace quillmeter {
namespace {

// An operation text from the library is a bare char*; never trust it to end.
constexpr size_t kMaxOperationText = 1024;

// The reporter the library's error handler reaches. The handler is a plain
// C function without a context argument, so this is the one way to it.
FailureReporter* handler_target = nullptr;

void QM_RFC_CALL OnRfcError(char* operation) {
  if (handler_target == nullptr) return;
  std::string_view text;
  if (operation != nullptr)
    text = std::string_view(operation, strnlen(operation, kMaxOperationText));
  handler_target->Report(text);
}

// A fixed-size record field, up to its first NUL or its end.
template <size_t N>
std::string_view Field(const char (&field)[N]) {
  return std::string_view(field, strnlen(field, N));
}

// Clears the flag also when a test platform throws from its exit.
struct ReportingScope {
  explicit ReportingScope(bool* flag) : flag_(flag) { *flag_ = true; }
  ~ReportingScope() { *flag_ = false; }
  bool* flag_;
};

}  // namespace

std::string LibraryFailureLine(const LibraryFailure& failure) {
  return "RFC error - operation/code: " + WithoutTrailingBlanks(failure.operation) +
         " - key: " + WithoutTrailingBlanks(failure.key) +
         " - status: " + WithoutTrailingBlanks(failure.status) +
         " - message: " + WithoutTrailingBlanks(failure.message) +
         " - internal status: " + WithoutTrailingBlanks(failure.internal_status);
}

FailureReporter::FailureReporter(RfcLibrary& rfc, FailureSink& sink, Platform& platform)
    : rfc_(rfc), sink_(sink), platform_(platform) {}

FailureReporter::~FailureReporter() {
  if (handler_target == this) handler_target = nullptr;
}

void FailureReporter::RegisterEnvironment() {
  handler_target = this;
  rfc_.environment.errorhandler = OnRfcError;
  rfc_.environment.allocate = nullptr;
  rfc_.RfcEnvironment(&rfc_.environment);
}

void FailureReporter::Report(std::string_view operation) {
  if (reporting_) {
    // The report so far, whatever the library managed to say.
    if (!reported_) sink_.Report(failure_);
    sink_.Aborted();
    platform_.ExitProcess(1);
  }
  ReportingScope scope(&reporting_);
  reported_ = false;
  failure_ = LibraryFailure{std::string(operation), "", "", "", ""};
  RFC_ERROR_INFO info;
  std::memset(&info, 0, sizeof info);
  rfc_.RfcLastError(&info);
  failure_.key = Field(info.key);
  failure_.status = Field(info.status);
  failure_.message = Field(info.message);
  failure_.internal_status = Field(info.intstat);
  sink_.Report(failure_);
  reported_ = true;
  rfc_.RfcClose(0);
  sink_.Aborted();
  platform_.ExitProcess(1);
}

}  // namespace quillmeter
