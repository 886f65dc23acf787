#include "rfc/trace_file.h"

#include <algorithm>

#include "base/text.h"

namespace quillmeter {
namespace {

// A longer line gives several pieces.
constexpr size_t kPieceLength = 99;

// Drops a final carriage return, then a final line feed.
void StripLineEnd(std::string* message) {
  if (!message->empty() && message->back() == '\r') message->pop_back();
  if (!message->empty() && message->back() == '\n') message->pop_back();
}

}  // namespace

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

std::string TraceHint(Platform& platform) {
  std::string contents;
  if (!platform.ReadFile(kTraceFile, &contents).ok()) return " - Look for Trace-File";
  std::string message = LastTraceMessage(contents);
  return message.empty() ? " - Please Check Trace-File !" : " - " + message;
}

}  // namespace quillmeter
