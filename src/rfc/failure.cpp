#include "rfc/failure.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "base/text.h"
#include "rfc/rfc_library.h"

namespace quillmeter {
namespace {

constexpr const char kTraceFile[] = "Dev_Rfc.Trc";
// The trace file is read as the vendor's own tools read it: in pieces of at
// most this many characters, a longer line giving several pieces.
constexpr size_t kPieceLength = 99;
// An operation text from the library is a bare char*; never trust it to end.
constexpr size_t kMaxOperationText = 1024;
constexpr int kLabelWidth = 15;

// The run the library's error handler reports on. The handler is a plain C
// function without a context argument, so this is the one way to reach it.
RunState* reporting_run = nullptr;
// Set while a report is printed: a library that calls the handler again from
// RfcLastError or RfcClose must not start a second report.
bool reporting = false;

void QM_RFC_CALL OnRfcError(char* operation) {
  if (reporting_run == nullptr) return;
  std::string_view text;
  if (operation != nullptr)
    text = std::string_view(operation, strnlen(operation, kMaxOperationText));
  ReportRfcFailure(*reporting_run, text);
}

// A fixed-size record field, up to its first NUL or its end.
template <size_t N>
std::string_view Field(const char (&field)[N]) {
  return std::string_view(field, strnlen(field, N));
}

// Resets the reporting flag also when a test platform throws from its exit.
struct ReportingScope {
  ReportingScope() { reporting = true; }
  ~ReportingScope() { reporting = false; }
};

// Drops a final carriage return, then a final line feed.
void StripLineEnd(std::string* message) {
  if (!message->empty() && message->back() == '\r') message->pop_back();
  if (!message->empty() && message->back() == '\n') message->pop_back();
}

// The last error message of the trace file's last "**** ERROR " section, or
// empty when that section has none.
std::string LastTraceMessage(std::string_view contents) {
  // The trace file is a text file: a "\r\n" line end reads as "\n".
  std::string text;
  text.reserve(contents.size());
  for (size_t i = 0; i < contents.size(); ++i) {
    if (contents[i] == '\r' && i + 1 < contents.size() && contents[i + 1] == '\n') continue;
    text.push_back(contents[i]);
  }

  std::string message;
  std::string_view rest = text;
  while (!rest.empty()) {
    size_t length = std::min(rest.size(), kPieceLength);
    size_t line_end = rest.substr(0, length).find('\n');
    if (line_end != std::string_view::npos) length = line_end + 1;
    std::string_view piece = rest.substr(0, length);
    rest.remove_prefix(length);
    // A piece is a C string: binary content ends it at the first NUL.
    piece = piece.substr(0, piece.find('\0'));

    if (StartsWith(piece, "**** ERROR ")) message.clear();
    // Positions count from 1: the message starts at the 13th character.
    if (StartsWith(piece, "ERROR ")) message = piece.size() > 12 ? piece.substr(12) : "";
    if (piece.size() >= 15 && piece.substr(7, 8) == "======> ") message = piece.substr(15);
    StripLineEnd(&message);
  }
  return message;
}

}  // namespace

void RegisterRfcEnvironment(RunState& run) {
  reporting_run = &run;
  if (run.rfc == nullptr) return;
  run.rfc->environment.errorhandler = OnRfcError;
  run.rfc->environment.allocate = nullptr;
  run.rfc->RfcEnvironment(&run.rfc->environment);
}

void ReportRfcFailure(RunState& run, std::string_view operation) {
  if (reporting) {
    run.out << "* Programm aborted...\n";
    run.out.flush();
    run.platform.ExitProcess(1);
  }
  ReportingScope scope;

  run.out << "RFC error\n";
  PrintField(run.out, "operation/code", 0, kLabelWidth, operation);
  RFC_ERROR_INFO info;
  std::memset(&info, 0, sizeof info);
  if (run.rfc != nullptr) run.rfc->RfcLastError(&info);
  PrintField(run.out, "key", 0, kLabelWidth, Field(info.key));
  PrintField(run.out, "status", 0, kLabelWidth, Field(info.status));
  PrintField(run.out, "message", 0, kLabelWidth, Field(info.message));
  PrintField(run.out, "internal status", 0, kLabelWidth, Field(info.intstat));
  run.out << "\n";
  if (run.rfc != nullptr) run.rfc->RfcClose(0);
  run.out << "* Programm aborted...\n";
  run.out.flush();
  run.platform.ExitProcess(1);
}

void PrintField(std::ostream& out, std::string_view label, int indent, int width,
                std::string_view value) {
  out << std::string(static_cast<size_t>(std::max(indent, 0)), ' ') << label;
  if (label.size() < static_cast<size_t>(std::max(width, 0)))
    out << std::string(static_cast<size_t>(width) - label.size(), ' ');
  out << " : " << value << "\n";
}

void ScanTraceFile(RunState& run) {
  std::string contents;
  if (!run.platform.ReadFile(kTraceFile, &contents).ok()) {
    run.result.Append(" - Look for Trace-File");
    return;
  }
  std::string message = LastTraceMessage(contents);
  if (message.empty())
    run.result.Append(" - Please Check Trace-File !");
  else
    run.result.Append(" - " + message);
}

}  // namespace quillmeter
