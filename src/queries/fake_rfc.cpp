#include "queries/fake_rfc.h"

#include <algorithm>
#include <cstring>

#include "queries/database_monitor.h"

namespace quillmeter {
namespace {

std::string TypeName(unsigned type) {
  FakeRfc& fake = TheFakeRfc();
  if (type >= 1000 && type - 1000 < fake.installed.size()) return fake.installed[type - 1000];
  return std::to_string(type);
}

// RFC_PARAMETER and RFC_TABLE lists alike: "NAME/type/length ...".
template <typename Entry>
std::string Describe(const Entry* list) {
  std::string text;
  for (; list != nullptr && list->name != nullptr; ++list) {
    if (!text.empty()) text += " ";
    text += std::string(list->name, list->nlen) + "/" + TypeName(list->type) + "/" +
            std::to_string(list->leng);
  }
  return text;
}

// Copies `value` into a blank-padded field of `length` bytes.
void Fill(void* field, unsigned length, std::string_view value) {
  char* out = static_cast<char*>(field);
  std::fill(out, out + length, ' ');
  std::memcpy(out, value.data(), std::min<size_t>(value.size(), length));
}

RFC_PARAMETER* FindParameter(RFC_PARAMETER* list, std::string_view name) {
  for (; list->name != nullptr; ++list)
    if (std::string_view(list->name, list->nlen) == name) return list;
  return nullptr;
}

void FillTable(RFC_TABLE* tables, std::string_view name, const std::vector<std::string>& lines) {
  for (; tables->name != nullptr; ++tables) {
    if (std::string_view(tables->name, tables->nlen) != name) continue;
    auto* table = static_cast<FakeTable*>(tables->ithandle);
    for (const std::string& line : lines) {
      std::string stored = line;
      stored.resize(table->width, ' ');
      table->lines.push_back(stored);
    }
  }
}

void QM_RFC_CALL FakeEnvironment(RFC_ENV*) { TheFakeRfc().calls.push_back("RfcEnvironment"); }

RFC_HANDLE QM_RFC_CALL FakeOpen(RFC_OPTIONS*) { return 1; }

RFC_HANDLE QM_RFC_CALL FakeOpenEx(char*, RFC_ERROR_INFO_EX*) { return 1; }

RFC_RC QM_RFC_CALL FakeInstallStructure(char* name, RFC_TYPE_ELEMENT* fields, unsigned count,
                                        RFC_TYPEHANDLE* type_handle) {
  FakeRfc& fake = TheFakeRfc();
  unsigned length = 0;
  for (unsigned i = 0; i < count; ++i) length += fields[i].length;
  fake.calls.push_back("RfcInstallStructure " + std::string(name) + " " + std::to_string(count) +
                       "/" + std::to_string(length));
  if (fake.install_result != kRfcOk) return fake.install_result;
  fake.installed.push_back(name);
  *type_handle = static_cast<RFC_TYPEHANDLE>(999 + fake.installed.size());
  return kRfcOk;
}

RFC_RC QM_RFC_CALL FakeCall(RFC_HANDLE, char* function, RFC_PARAMETER* exporting,
                            RFC_TABLE* tables) {
  FakeRfc& fake = TheFakeRfc();
  fake.function = function;
  fake.calls.push_back("RfcCall " + fake.function);
  fake.exporting = Describe(exporting);
  fake.tables = Describe(tables);
  return fake.call_result;
}

RFC_RC QM_RFC_CALL FakeReceive(RFC_HANDLE, RFC_PARAMETER* importing, RFC_TABLE* tables,
                               char** exception) {
  FakeRfc& fake = TheFakeRfc();
  fake.calls.push_back("RfcReceive " + fake.function);
  fake.importing = Describe(importing);
  if (fake.receive_result != kRfcOk) {
    if (fake.receive_result == kRfcException || fake.receive_result == kRfcSysException)
      *exception = const_cast<char*>(fake.exception_name);
    return fake.receive_result;
  }
  if (fake.function == "RFC_SYSTEM_INFO") {
    if (RFC_PARAMETER* rfcsi = FindParameter(importing, "RFCSI_EXPORT")) {
      std::string record(200, ' ');
      record.replace(45, 8, (fake.host + std::string(8, ' ')).substr(0, 8));
      record.replace(101, 10, (fake.database_system + std::string(10, ' ')).substr(0, 10));
      Fill(rfcsi->addr, rfcsi->leng, record);
    }
  } else if (fake.function == "GET_CPU_ALL") {
    if (RFC_PARAMETER* text = FindParameter(importing, "LASTCOLLWRT"))
      Fill(text->addr, text->leng, fake.last_collection);
    FillTable(tables, "TF_CPU_ALL", std::vector<std::string>(fake.cpu_lines));
  } else if (fake.function == "ADA_ST04") {
    if (RFC_PARAMETER* date = FindParameter(importing, "DBSTART_DATE"))
      Fill(date->addr, date->leng, "20261201");
    if (RFC_PARAMETER* version = FindParameter(importing, "DBVERSION"))
      Fill(version->addr, version->leng, "Kernel 7.9.10");
    FillTable(tables, "TST04ADA", fake.monitor_lines);
  }
  return kRfcOk;
}

int QM_RFC_CALL FakeLastError(RFC_ERROR_INFO* error) {
  std::strcpy(error->key, "RFC_ERROR_PROGRAM");
  std::strcpy(error->message, "simulated failure");
  return 0;
}

void QM_RFC_CALL FakeClose(RFC_HANDLE handle) {
  TheFakeRfc().calls.push_back("RfcClose " + std::to_string(handle));
}

ITAB_H QM_RFC_CALL FakeItCreate(char* name, unsigned width, unsigned, unsigned) {
  FakeRfc& fake = TheFakeRfc();
  fake.calls.push_back("ItCreate " + std::string(name) + " " + std::to_string(width));
  if (fake.fail_create) return nullptr;
  fake.live_tables.push_back(std::make_unique<FakeTable>(FakeTable{name, width, {}}));
  return fake.live_tables.back().get();
}

unsigned QM_RFC_CALL FakeItFill(ITAB_H table) {
  return static_cast<unsigned>(static_cast<FakeTable*>(table)->lines.size());
}

void* QM_RFC_CALL FakeItGetLine(ITAB_H handle, unsigned line) {
  auto* table = static_cast<FakeTable*>(handle);
  if (line == TheFakeRfc().fail_line || line == 0 || line > table->lines.size()) return nullptr;
  return table->lines[line - 1].data();
}

int QM_RFC_CALL FakeItDelete(ITAB_H handle) {
  FakeRfc& fake = TheFakeRfc();
  auto* table = static_cast<FakeTable*>(handle);
  fake.calls.push_back("ItDelete " + table->name);
  std::erase_if(fake.live_tables, [table](const auto& live) { return live.get() == table; });
  return fake.delete_result;
}

}  // namespace

FakeRfc& TheFakeRfc() {
  static FakeRfc fake;
  return fake;
}

FakeRfc& ResetFakeRfc() {
  TheFakeRfc() = FakeRfc();
  return TheFakeRfc();
}

std::unique_ptr<RfcLibrary> MakeFakeRfcLibrary() {
  auto rfc = std::make_unique<RfcLibrary>();
  rfc->RfcEnvironment = FakeEnvironment;
  rfc->RfcOpen = FakeOpen;
  rfc->RfcOpenEx = FakeOpenEx;
  rfc->RfcInstallStructure = FakeInstallStructure;
  rfc->RfcCall = FakeCall;
  rfc->RfcReceive = FakeReceive;
  rfc->RfcLastError = FakeLastError;
  rfc->RfcClose = FakeClose;
  rfc->ItCreate = FakeItCreate;
  rfc->ItFill = FakeItFill;
  rfc->ItGetLine = FakeItGetLine;
  rfc->ItDelete = FakeItDelete;
  return rfc;
}

FakeRun::FakeRun() {
  ResetFakeRfc();
  run.rfc = MakeFakeRfcLibrary();
  run.connection = 1;
}

std::string MonitorLine(std::string_view logpages, std::string_view logwaits,
                        std::string_view rollbacks, std::string_view queueover) {
  std::string line(kMonitorLineLength, ' ');
  auto put = [&line](MonitorField field, std::string_view value) {
    value = value.substr(0, field.length);
    line.replace(field.offset + field.length - value.size(), value.size(), value);
  };
  put(kLogPagesField, logpages);
  put(kLogWaitsField, logwaits);
  put(kRollbacksField, rollbacks);
  put(kQueueOverField, queueover);
  return line;
}

}  // namespace quillmeter
