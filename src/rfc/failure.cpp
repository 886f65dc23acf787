#include "rfc/failure.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace quillmeter {
namespace {

// An operation text from the library is a bare char*; never trust it to end.
constexpr size_t kMaxOperationText = 1024;
constexpr int kLabelWidth = 15;

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

FailureReporter::FailureReporter(RfcLibrary& rfc, std::ostream& out, Platform& platform)
    : rfc_(rfc), out_(out), platform_(platform) {}

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
    out_ << "* Programm aborted...\n";
    out_.flush();
    platform_.ExitProcess(1);
  }
  ReportingScope scope(&reporting_);

  out_ << "RFC error\n";
  PrintField(out_, "operation/code", 0, kLabelWidth, operation);
  RFC_ERROR_INFO info;
  std::memset(&info, 0, sizeof info);
  rfc_.RfcLastError(&info);
  PrintField(out_, "key", 0, kLabelWidth, Field(info.key));
  PrintField(out_, "status", 0, kLabelWidth, Field(info.status));
  PrintField(out_, "message", 0, kLabelWidth, Field(info.message));
  PrintField(out_, "internal status", 0, kLabelWidth, Field(info.intstat));
  out_ << "\n";
  rfc_.RfcClose(0);
  out_ << "* Programm aborted...\n";
  out_.flush();
  platform_.ExitProcess(1);
}

void PrintField(std::ostream& out, std::string_view label, int indent, int width,
                std::string_view value) {
  out << std::string(static_cast<size_t>(std::max(indent, 0)), ' ') << label;
  if (label.size() < static_cast<size_t>(std::max(width, 0)))
    out << std::string(static_cast<size_t>(width) - label.size(), ' ');
  out << " : " << value << "\n";
}

}  // namespace quillmeter
