// A librfc32 that does nothing: every operation answers at once, with a
// MaxDB system and one fixed monitor line, so that the benchmark shows the
// sensor's own cost apart from any library's.
#include <cstring>
#include <string>
#include <vector>

#include "rfc/librfc.h"

namespace {

struct Table {
  unsigned width;
  std::vector<std::string> lines;
};

void Fill(const RFC_PARAMETER* list, const char* name, const std::string& value) {
  for (; list != nullptr && list->name != nullptr; ++list) {
    if (std::strncmp(list->name, name, list->nlen) != 0 || std::strlen(name) != list->nlen)
      continue;
    std::string field = value;
    field.resize(list->leng, ' ');
    std::memcpy(list->addr, field.data(), list->leng);
  }
}

std::string MonitorLine() {
  std::string line(860, ' ');
  line.replace(652 + 26 - 6, 6, "250000");  // LOGPAGES
  line.replace(678 + 26 - 3, 3, "300");     // LOGWAITS
  line.replace(106 + 26 - 4, 4, "1500");    // ROLLBACKS
  line.replace(730 + 26 - 1, 1, "0");       // QUEUEOVER
  return line;
}

std::string called;

}  // namespace

extern "C" {

void QM_RFC_CALL RfcEnvironment(RFC_ENV*) {}
RFC_HANDLE QM_RFC_CALL RfcOpen(RFC_OPTIONS*) { return 1; }
RFC_HANDLE QM_RFC_CALL RfcOpenEx(char*, RFC_ERROR_INFO_EX*) { return 1; }
RFC_RC QM_RFC_CALL RfcInstallStructure(char*, RFC_TYPE_ELEMENT*, unsigned, RFC_TYPEHANDLE* type) {
  static RFC_TYPEHANDLE next = 1;
  *type = next++;
  return 0;
}
RFC_RC QM_RFC_CALL RfcCall(RFC_HANDLE, char* function, RFC_PARAMETER*, RFC_TABLE*) {
  called = function;
  return 0;
}
RFC_RC QM_RFC_CALL RfcReceive(RFC_HANDLE, RFC_PARAMETER* importing, RFC_TABLE* tables, char**) {
  if (called == "GET_CPU_ALL") {
    Fill(importing, "LASTCOLLWRT", "Mon Dec  7 10:11:12 2026");
  } else if (called == "RFC_SYSTEM_INFO") {
    Fill(importing, "RFCSI_EXPORT", std::string(101, ' ') + "ADA");
  } else if (called == "ADA_ST04" && tables != nullptr && tables->name != nullptr) {
    static_cast<Table*>(tables->ithandle)->lines.push_back(MonitorLine());
  }
  return 0;
}
int QM_RFC_CALL RfcLastError(RFC_ERROR_INFO* error) {
  std::memset(error, 0, sizeof *error);
  return 0;
}
void QM_RFC_CALL RfcClose(RFC_HANDLE) {}
ITAB_H QM_RFC_CALL ItCreate(char*, unsigned width, unsigned, unsigned) {
  return new Table{width, {}};
}
unsigned QM_RFC_CALL ItFill(ITAB_H table) {
  return static_cast<unsigned>(static_cast<Table*>(table)->lines.size());
}
void* QM_RFC_CALL ItGetLine(ITAB_H table, unsigned line) {
  Table* t = static_cast<Table*>(table);
  return line >= 1 && line <= t->lines.size() ? t->lines[line - 1].data() : nullptr;
}
int QM_RFC_CALL ItDelete(ITAB_H table) {
  delete static_cast<Table*>(table);
  return 0;
}

}  // extern "C"
