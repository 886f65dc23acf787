// The request/response pattern every call to a function module follows on
// the classic library: structure types installed once, RfcCall, then
// RfcReceive, and the messages for the result codes.
#ifndef QUILLMETER_RFC_REMOTE_CALL_H_
#define QUILLMETER_RFC_REMOTE_CALL_H_

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "rfc/call_log.h"
#include "rfc/failure.h"
#include "rfc/rfc_library.h"

namespace quillmeter {

// One connection's calls: the library, its handle, the call log, and the
// reporter that library faults go to.
struct RfcSession {
  RfcLibrary& rfc;
  FailureReporter& failure;
  const CallLog& log;
  RFC_HANDLE handle = 0;
};

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
// reported as "RfcInstallStructure" and does not return.
void InstallStructure(RfcSession& session, InstalledType* type, const char* name,
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

// RfcCall `function`, then, when that succeeded, RfcReceive. Returns the
// first non-zero result code, or 0. For an exception (2) or system exception
// (3) *exception receives the library's name; otherwise it is untouched.
RFC_RC CallRemoteFunction(RfcSession& session, const char* function, ParameterList& exporting,
                          ParameterList& importing, TableList& tables, std::string* exception);

// The library's exception name: up to its NUL, at most kExceptionNameRoom
// characters even when it is not terminated; "" for none.
std::string ExceptionName(const char* name);

// The numbered message for a failed call's result code (errors 1012 to
// 1015), or "" for 0.
std::string QueryFailureMessage(RFC_RC code, std::string_view exception);

// Creates the internal table `name` with lines of `line_length` bytes. A
// null handle is reported as "ItCreate <name>" and does not return.
ITAB_H CreateTable(RfcSession& session, const char* name, unsigned line_length);

// Deletes an internal table; a refusal is reported as "ItDelete <name>".
void DeleteTable(RfcSession& session, ITAB_H table, const char* name);

// Line `number` (from 1) of an internal table; a missing line is reported
// as "ItGetLine <name>" and does not return.
const char* TableLine(RfcSession& session, ITAB_H table, unsigned number, const char* name);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_REMOTE_CALL_H_
