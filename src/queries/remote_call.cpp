#include "queries/remote_call.h"

#include <cstring>

#include "rfc/call_log.h"
#include "rfc/failure.h"

namespace quillmeter {
namespace {

// The library's declarations take plain char pointers for names it only
// reads.
char* LibraryText(const char* text) { return const_cast<char*>(text); }

}  // namespace

void InstallStructure(RunState& run, InstalledType* type, const char* name,
                      std::span<const StructureField> fields) {
  if (type->installed) return;
  std::vector<RFC_TYPE_ELEMENT> elements;
  elements.reserve(fields.size());
  for (const StructureField& field : fields)
    elements.push_back({LibraryText(field.name), field.type, field.length, 0, 0});
  RFC_RC rc = run.rfc->RfcInstallStructure(LibraryText(name), elements.data(),
                                           static_cast<unsigned>(elements.size()), &type->handle);
  if (rc != kRfcOk) ReportRfcFailure(run, "RfcInstallStructure");
  type->installed = true;
}

ParameterList::ParameterList() : entries_(1, RFC_PARAMETER{}) {}

void ParameterList::Add(const char* name, unsigned type, unsigned length, void* value) {
  RFC_PARAMETER entry{LibraryText(name), static_cast<unsigned>(std::strlen(name)), type, length,
                      value};
  entries_.insert(entries_.end() - 1, entry);
}

TableList::TableList() : entries_(1, RFC_TABLE{}) {}

void TableList::Add(const char* name, const InstalledType& type, unsigned line_length,
                    ITAB_H table) {
  RFC_TABLE entry{LibraryText(name),
                  static_cast<unsigned>(std::strlen(name)),
                  type.handle,
                  line_length,
                  table,
                  0,
                  0};
  entries_.insert(entries_.end() - 1, entry);
}

RFC_RC CallRemoteFunction(RunState& run, const char* function, ParameterList& exporting,
                          ParameterList& importing, TableList& tables, std::string* exception) {
  RfcLibrary& rfc = *run.rfc;
  RFC_RC rc =
      rfc.RfcCall(run.connection, LibraryText(function), exporting.entries(), tables.entries());
  LogRfcEvent(run, "RfcCall called");
  if (rc != kRfcOk) return rc;

  char* name = nullptr;
  rc = rfc.RfcReceive(run.connection, importing.entries(), tables.entries(), &name);
  LogRfcEvent(run, "RfcReceive called");
  if (rc == kRfcException || rc == kRfcSysException) {
    exception->clear();
    // The name is the library's memory: never read past a sane length, even
    // when it is not terminated.
    for (size_t i = 0; name != nullptr && i < kExceptionNameRoom && name[i] != '\0'; ++i)
      exception->push_back(name[i]);
  }
  return rc;
}

std::string QueryFailureMessage(RFC_RC code, std::string_view exception) {
  switch (code) {
    case kRfcOk: return std::string();
    case kRfcFailure: return "Error 1014: RFC-Failure raised !";
    case kRfcException: return "Error 1012: Exception.: " + std::string(exception);
    case kRfcSysException: return "Error 1013: Sys-Exception raised !";
    default: return "Error 1015: Other Failure raised !";
  }
}

void AppendQueryFailure(RunState& run, RFC_RC code, std::string_view exception) {
  run.result.Append(QueryFailureMessage(code, exception));
}

ITAB_H CreateTable(RunState& run, const char* name, unsigned line_length) {
  ITAB_H table = run.rfc->ItCreate(LibraryText(name), line_length, 0, 0);
  if (table == nullptr) ReportRfcFailure(run, std::string("ItCreate ") + name);
  return table;
}

void DeleteTable(RunState& run, ITAB_H table, const char* name) {
  if (run.rfc->ItDelete(table) != 0) ReportRfcFailure(run, std::string("ItDelete ") + name);
}

const char* TableLine(RunState& run, ITAB_H table, unsigned number, const char* name) {
  void* line = run.rfc->ItGetLine(table, number);
  if (line == nullptr) ReportRfcFailure(run, std::string("ItGetLine ") + name);
  return static_cast<const char*>(line);
}

}  // namespace quillmeter
