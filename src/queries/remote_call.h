// The request/response pattern every query follows: install the structure
// type once, RfcCall, RfcReceive, and the messages for the result codes.
#ifndef QUILLMETER_QUERIES_REMOTE_CALL_H_
#define QUILLMETER_QUERIES_REMOTE_CALL_H_

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "driver/run_state.h"
#include "rfc/rfc_library.h"

namespace quillmeter {

// Longest exception name taken from the library. ABAP names are at most 30
// characters; anything longer is not a name.
inline constexpr size_t kExceptionNameRoom = 64;

// One field of a structure type, in the order the library lays them out.
struct StructureField {
  const char* name;
  unsigned type;
  unsigned length;
};

// Registers the structure `name` with the library unless `type` already
// holds it, so each type is installed once per process. A refusal is
// reported through ReportRfcFailure and does not return.
void InstallStructure(RunState& run, InstalledType* type, const char* name,
                      std::span<const StructureField> fields);

// An exporting or importing parameter list, always ended by the null entry
// the library looks for. The value addresses must outlive the call.
class ParameterList {
 public:
  ParameterList();
  // Adds a parameter of `length` bytes at `value`; `type` is a type code or
  // an installed structure's handle.
  void Add(const char* name, unsigned type, unsigned length, void* value);
  RFC_PARAMETER* entries() { return entries_.data(); }

 private:
  std::vector<RFC_PARAMETER> entries_;
};

// A table list, ended by the null entry.
class TableList {
 public:
  TableList();
  void Add(const char* name, const InstalledType& type, unsigned line_length, ITAB_H table);
  RFC_TABLE* entries() { return entries_.data(); }

 private:
  std::vector<RFC_TABLE> entries_;
};

// RfcCall `function` on run.connection, then, when that succeeded,
// RfcReceive. Returns the first non-zero result code, or 0. For an exception
// (2) or system exception (3) *exception receives the library's name (at
// most kExceptionNameRoom characters); in every other case it is untouched.
RFC_RC CallRemoteFunction(RunState& run, const char* function, ParameterList& exporting,
                          ParameterList& importing, TableList& tables, std::string* exception);

// The numbered message for a failed query's result code (errors 1012 to
// 1015), or an empty text for 0.
std::string QueryFailureMessage(RFC_RC code, std::string_view exception);

// Appends QueryFailureMessage to ResultText as it is: the driver escapes it
// when it becomes the error document.
void AppendQueryFailure(RunState& run, RFC_RC code, std::string_view exception);

// Creates the internal table `name` with lines of `line_length` bytes. A
// null handle is reported as "ItCreate <name>" and does not return.
ITAB_H CreateTable(RunState& run, const char* name, unsigned line_length);

// Deletes an internal table; a refusal is reported as "ItDelete <name>".
void DeleteTable(RunState& run, ITAB_H table, const char* name);

// Line `number` (from 1) of an internal table; a missing line is reported
// as "ItGetLine <name>" and does not return.
const char* TableLine(RunState& run, ITAB_H table, unsigned number, const char* name);

}  // namespace quillmeter

#endif  // QUILLMETER_QUERIES_REMOTE_CALL_H_
