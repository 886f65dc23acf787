#include "rfc/remote_call.h"

#include <cstring>

namespace quillmeter {
namespace {

// The library's declarations take plain char pointers for names it only
// reads.
char* LibraryText(const char* text) { return const_cast<char*>(text); }

}  // namespace

void InstallStructure(RfcSession& session, InstalledType* type, const char* name,
                      std::span<const StructureField> fields) {
  if (type->installed) return;
  std::vector<RFC_TYPE_ELEMENT> elements;
  elements.reserve(fields.size());
  for (const StructureField& field : fields)
    elements.push_back({LibraryText(field.name), field.type, field.length, 0, 0});
  RFC_RC rc = session.rfc.RfcInstallStructure(
      LibraryText(name), elements.data(), static_cast<unsigned>(elements.size()), &type->handle);
  if (rc != kRfcOk) session.failure.Report("RfcInstallStructure");
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

RFC_RC CallRemoteFunction(RfcSession& session, const char* function, ParameterList& exporting,
                          ParameterList& importing, TableList& tables, std::string* exception) {
  RfcLibrary& rfc = session.rfc;
  RFC_RC rc =
      rfc.RfcCall(session.handle, LibraryText(function), exporting.entries(), tables.entries());
  session.log.Event(static_cast<int>(session.handle), "RfcCall called");
  if (rc != kRfcOk) return rc;

  char* name = nullptr;
  rc = rfc.RfcReceive(session.handle, importing.entries(), tables.entries(), &name);
  session.log.Event(static_cast<int>(session.handle), "RfcReceive called");
  if (rc == kRfcException || rc == kRfcSysException) *exception = ExceptionName(name);
  return rc;
}

std::string ExceptionName(const char* name) {
  // The name is the library's memory: never read past a sane length.
  if (name == nullptr) return std::string();
  return std::string(name, strnlen(name, kExceptionNameRoom));
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

ITAB_H CreateTable(RfcSession& session, const char* name, unsigned line_length) {
  ITAB_H table = session.rfc.ItCreate(LibraryText(name), line_length, 0, 0);
  if (table == nullptr) session.failure.Report(std::string("ItCreate ") + name);
  return table;
}

void DeleteTable(RfcSession& session, ITAB_H table, const char* name) {
  if (session.rfc.ItDelete(table) != 0) session.failure.Report(std::string("ItDelete ") + name);
}

const char* TableLine(RfcSession& session, ITAB_H table, unsigned number, const char* name) {
  void* line = session.rfc.ItGetLine(table, number);
  if (line == nullptr) session.failure.Report(std::string("ItGetLine ") + name);
  return static_cast<const char*>(line);
}

}  // namespace quillmeter
