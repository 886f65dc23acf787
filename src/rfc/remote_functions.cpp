#include "rfc/remote_functions.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

#include "rfc/tst04ada.h"

namespace quillmeter {
namespace {

constexpr const char kCpuTable[] = "TF_CPU_ALL";
constexpr unsigned kCpuAllLineLength = 48;  // 46 bytes of fields, aligned
constexpr StructureField kCpuAllFields[] = {
    {"TYPE", kRfcTypeInt2, 2},      {"SUBTYPE", kRfcTypeInt2, 2},  {"SERIALNR", kRfcTypeInt2, 2},
    {"NBR_CPU", kRfcTypeInt, 4},    {"LOAD1_AVG", kRfcTypeInt, 4}, {"LOAD5_AVG", kRfcTypeInt, 4},
    {"LOAD15_AVG", kRfcTypeInt, 4}, {"INT_SEC", kRfcTypeInt, 4},   {"SYSC_SEC", kRfcTypeInt, 4},
    {"CS_SEC", kRfcTypeInt, 4},     {"USR_TOTAL", kRfcTypeInt, 4}, {"SYS_TOTAL", kRfcTypeInt, 4},
    {"IDLE_TOTAL", kRfcTypeInt, 4},
};
constexpr size_t kLastCollectionLength = 25;

constexpr StructureField kRfcsiFields[] = {
    {"RFCPROTO", kRfcTypeChar, 3},   {"RFCCHARTYP", kRfcTypeChar, 4},
    {"RFCINTTYP", kRfcTypeChar, 3},  {"RFCFLOTYP", kRfcTypeChar, 3},
    {"RFCDEST", kRfcTypeChar, 32},   {"RFCHOST", kRfcTypeChar, 8},
    {"RFCSYSID", kRfcTypeChar, 8},   {"RFCDATABS", kRfcTypeChar, 8},
    {"RFCDBHOST", kRfcTypeChar, 32}, {"RFCDBSYS", kRfcTypeChar, 10},
    {"RFCSAPRL", kRfcTypeChar, 4},   {"RFCMACH", kRfcTypeChar, 5},
    {"RFCOPSYS", kRfcTypeChar, 10},  {"RFCTZONE", kRfcTypeChar, 6},
    {"RFCDAYST", kRfcTypeChar, 1},   {"RFCIPADDR", kRfcTypeChar, 15},
    {"RFCKERNRL", kRfcTypeChar, 4},  {"RFCSI_RESV", kRfcTypeChar, 44},
};
constexpr unsigned kRfcsiLength = 200;
constexpr size_t kHostOffset = 45;
constexpr size_t kHostLength = 8;
constexpr size_t kDatabaseSystemOffset = 101;
constexpr size_t kDatabaseSystemLength = 10;

constexpr unsigned RfcsiLength() {
  unsigned total = 0;
  for (const StructureField& field : kRfcsiFields) total += field.length;
  return total;
}
static_assert(RfcsiLength() == kRfcsiLength);

constexpr const char kMonitorTable[] = "TST04ADA";

// The monitor line's fields, as the library installs them.
std::vector<StructureField> MonitorStructure() {
  std::vector<StructureField> fields;
  for (const MonitorField& field : kMonitorFields)
    fields.push_back({field.name.data(), kRfcTypeChar, static_cast<unsigned>(field.length)});
  return fields;
}

}  // namespace

RFC_RC CallGetCpuAll(RfcSession& session, std::string* last_collection, std::string* exception) {
  ITAB_H table = CreateTable(session, kCpuTable, kCpuAllLineLength);
  InstallStructure(session, &session.rfc.cpu_all, "CPU_ALL", kCpuAllFields);

  char local_remote[6] = {'L', 'O', 'C', 'A', 'L', ' '};
  char logical_destination[32];
  std::fill(std::begin(logical_destination), std::end(logical_destination), ' ');
  std::int32_t active_flag = 0, details_coll = 0, details_mode = 0, details_reqi = 0;
  std::int32_t interval = 0, last_coll_int = 0, norm_coll_int = 0;
  char cpu_all_read[3];
  char collection[kLastCollectionLength];
  char op_system[52];
  std::fill(std::begin(cpu_all_read), std::end(cpu_all_read), ' ');
  std::fill(std::begin(collection), std::end(collection), ' ');
  std::fill(std::begin(op_system), std::end(op_system), ' ');

  ParameterList exporting;
  exporting.Add("LOCAL_REMOTE", kRfcTypeChar, sizeof local_remote, local_remote);
  exporting.Add("LOGICAL_DESTINATION", kRfcTypeChar, sizeof logical_destination,
                logical_destination);
  ParameterList importing;
  importing.Add("ACTIVEFLAG", kRfcTypeInt, 4, &active_flag);
  importing.Add("DETAILSCOLL", kRfcTypeInt, 4, &details_coll);
  importing.Add("DETAILSMODE", kRfcTypeInt, 4, &details_mode);
  importing.Add("DETAILSREQI", kRfcTypeInt, 4, &details_reqi);
  importing.Add("F_CPU_ALL_READ", kRfcTypeChar, sizeof cpu_all_read, cpu_all_read);
  importing.Add("INTERVAL", kRfcTypeInt, 4, &interval);
  importing.Add("LASTCOLLINT", kRfcTypeInt, 4, &last_coll_int);
  importing.Add("LASTCOLLWRT", kRfcTypeChar, sizeof collection, collection);
  importing.Add("NORMCOLLINT", kRfcTypeInt, 4, &norm_coll_int);
  importing.Add("OP_SYSTEM", kRfcTypeChar, sizeof op_system, op_system);
  TableList tables;
  tables.Add(kCpuTable, session.rfc.cpu_all, kCpuAllLineLength, table);

  RFC_RC rc = CallRemoteFunction(session, "GET_CPU_ALL", exporting, importing, tables, exception);
  if (rc == kRfcOk) {
    // The lines are not used, but a table the library cannot hand back is a
    // library fault worth stopping for.
    unsigned lines = session.rfc.ItFill(table);
    for (unsigned number = 1; number <= lines; ++number)
      TableLine(session, table, number, kCpuTable);
    last_collection->assign(collection, sizeof collection);
  }
  DeleteTable(session, table, kCpuTable);
  return rc;
}

RFC_RC CallSystemInfo(RfcSession& session, SystemInfo* info, std::string* exception) {
  InstallStructure(session, &session.rfc.rfcsi, "RFCSI", kRfcsiFields);

  std::int32_t current_resources = 0, maximal_resources = 0, recommended_delay = 0;
  char dialog_user_type = ' ', login_complete = ' ';
  // Blank, so a library that leaves the record unfilled reports no database
  // rather than stale bytes.
  char rfcsi[kRfcsiLength];
  std::fill(std::begin(rfcsi), std::end(rfcsi), ' ');

  ParameterList exporting;
  ParameterList importing;
  importing.Add("CURRENT_RESOURCES", kRfcTypeInt, 4, &current_resources);
  importing.Add("DIALOG_USER_TYPE", kRfcTypeChar, 1, &dialog_user_type);
  importing.Add("MAXIMAL_RESOURCES", kRfcTypeInt, 4, &maximal_resources);
  importing.Add("RECOMMENDED_DELAY", kRfcTypeInt, 4, &recommended_delay);
  importing.Add("RFCSI_EXPORT", session.rfc.rfcsi.handle, kRfcsiLength, rfcsi);
  importing.Add("RFC_LOGIN_COMPLETE", kRfcTypeChar, 1, &login_complete);
  TableList tables;

  RFC_RC rc =
      CallRemoteFunction(session, "RFC_SYSTEM_INFO", exporting, importing, tables, exception);
  if (rc == kRfcOk) {
    info->database_system.assign(rfcsi + kDatabaseSystemOffset, kDatabaseSystemLength);
    info->host.assign(rfcsi + kHostOffset, kHostLength);
  }
  return rc;
}

RFC_RC CallAdaSt04(RfcSession& session, std::string* last_line, std::string* exception) {
  ITAB_H table = CreateTable(session, kMonitorTable, kMonitorLineLength);
  // The line type is registered under its dictionary name, not the table's.
  static const std::vector<StructureField> kFields = MonitorStructure();
  InstallStructure(session, &session.rfc.tst04sqd, "TST04SQD", kFields);

  // Received but not used by the figures.
  char start_date[8] = {}, start_time[6] = {}, version[40] = {};
  ParameterList exporting;
  ParameterList importing;
  importing.Add("DBSTART_DATE", kRfcTypeDate, sizeof start_date, start_date);
  importing.Add("DBSTART_TIME", kRfcTypeTime, sizeof start_time, start_time);
  importing.Add("DBVERSION", kRfcTypeChar, sizeof version, version);
  TableList tables;
  tables.Add(kMonitorTable, session.rfc.tst04sqd, kMonitorLineLength, table);

  RFC_RC rc = CallRemoteFunction(session, "ADA_ST04", exporting, importing, tables, exception);
  if (rc == kRfcOk) {
    // Every line is fetched, as a faulty one is a library fault; the last
    // one is the sample.
    last_line->clear();
    unsigned lines = session.rfc.ItFill(table);
    for (unsigned number = 1; number <= lines; ++number)
      last_line->assign(TableLine(session, table, number, kMonitorTable), kMonitorLineLength);
  }
  DeleteTable(session, table, kMonitorTable);
  return rc;
}

}  // namespace quillmeter
