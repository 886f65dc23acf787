#include "queries/collection_time.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "queries/remote_call.h"

namespace quillmeter {
namespace {

constexpr const char kTableName[] = "TF_CPU_ALL";
constexpr unsigned kCpuAllLineLength = 48;  // 46 bytes of fields, aligned

constexpr StructureField kCpuAllFields[] = {
    {"TYPE", kRfcTypeInt2, 2},      {"SUBTYPE", kRfcTypeInt2, 2},  {"SERIALNR", kRfcTypeInt2, 2},
    {"NBR_CPU", kRfcTypeInt, 4},    {"LOAD1_AVG", kRfcTypeInt, 4}, {"LOAD5_AVG", kRfcTypeInt, 4},
    {"LOAD15_AVG", kRfcTypeInt, 4}, {"INT_SEC", kRfcTypeInt, 4},   {"SYSC_SEC", kRfcTypeInt, 4},
    {"CS_SEC", kRfcTypeInt, 4},     {"USR_TOTAL", kRfcTypeInt, 4}, {"SYS_TOTAL", kRfcTypeInt, 4},
    {"IDLE_TOTAL", kRfcTypeInt, 4},
};

constexpr size_t kLastCollectionLength = 25;
constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

void TakeCollectionTime(RunState& run, std::string_view last_collection) {
  // "Www Mmm dd hh:mm:ss yyyy", columns fixed.
  std::string text(last_collection.substr(0, kLastCollectionLength));
  text.resize(kLastCollectionLength, ' ');
  // The stamp goes into a profile line: a line break or NUL from the remote
  // system must not split or end it.
  for (char& c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte > 0x7e) c = '?';
  }
  for (size_t month = 0; month < std::size(kMonthNames); ++month) {
    if (text.compare(4, 3, kMonthNames[month]) == 0) {
      text[5] = static_cast<char>('0' + (month + 1) / 10);
      text[6] = static_cast<char>('0' + (month + 1) % 10);
      break;
    }
  }
  if (text[8] == ' ') text[8] = '0';
  run.sample_date = "20" + text.substr(22, 2) + text.substr(5, 2) + text.substr(8, 2);
  run.sample_time = text.substr(11, 8);
}

RFC_RC ReadCollectionTime(RunState& run) {
  ITAB_H table = CreateTable(run, kTableName, kCpuAllLineLength);
  InstallStructure(run, &run.rfc->cpu_all, "CPU_ALL", kCpuAllFields);

  char local_remote[6] = {'L', 'O', 'C', 'A', 'L', ' '};
  char logical_destination[32];
  std::fill(std::begin(logical_destination), std::end(logical_destination), ' ');
  std::int32_t active_flag = 0, details_coll = 0, details_mode = 0, details_reqi = 0;
  std::int32_t interval = 0, last_coll_int = 0, norm_coll_int = 0;
  char cpu_all_read[3];
  char last_collection[kLastCollectionLength];
  char op_system[52];
  std::fill(std::begin(cpu_all_read), std::end(cpu_all_read), ' ');
  std::fill(std::begin(last_collection), std::end(last_collection), ' ');
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
  importing.Add("LASTCOLLWRT", kRfcTypeChar, sizeof last_collection, last_collection);
  importing.Add("NORMCOLLINT", kRfcTypeInt, 4, &norm_coll_int);
  importing.Add("OP_SYSTEM", kRfcTypeChar, sizeof op_system, op_system);
  TableList tables;
  tables.Add(kTableName, run.rfc->cpu_all, kCpuAllLineLength, table);

  std::string exception;
  RFC_RC rc = CallRemoteFunction(run, "GET_CPU_ALL", exporting, importing, tables, &exception);
  if (rc == kRfcOk) {
    run.run_ok = true;
    // The lines are not used, but a table the library cannot hand back is a
    // library fault worth stopping for.
    unsigned lines = run.rfc->ItFill(table);
    for (unsigned number = 1; number <= lines; ++number) TableLine(run, table, number, kTableName);
    TakeCollectionTime(run, std::string_view(last_collection, sizeof last_collection));
  } else {
    AppendQueryFailure(run, rc, exception);
  }
  DeleteTable(run, table, kTableName);
  return rc;
}

}  // namespace quillmeter
