#include "queries/system_info.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "queries/remote_call.h"

namespace quillmeter {
namespace {

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

constexpr unsigned RecordLength() {
  unsigned total = 0;
  for (const StructureField& field : kRfcsiFields) total += field.length;
  return total;
}
static_assert(RecordLength() == kRfcsiLength);

}  // namespace

RFC_RC ReadSystemInfo(RunState& run, SystemInfo* info) {
  InstallStructure(run, &run.rfc->rfcsi, "RFCSI", kRfcsiFields);

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
  importing.Add("RFCSI_EXPORT", run.rfc->rfcsi.handle, kRfcsiLength, rfcsi);
  importing.Add("RFC_LOGIN_COMPLETE", kRfcTypeChar, 1, &login_complete);
  TableList tables;

  std::string exception;
  RFC_RC rc = CallRemoteFunction(run, "RFC_SYSTEM_INFO", exporting, importing, tables, &exception);
  if (rc != kRfcOk) {
    AppendQueryFailure(run, rc, exception);
    return rc;
  }
  run.run_ok = true;
  info->database_system.assign(rfcsi + kDatabaseSystemOffset, kDatabaseSystemLength);
  info->host.assign(rfcsi + kHostOffset, kHostLength);
  std::string display_host = info->host.substr(0, info->host.find('\0'));
  display_host.erase(display_host.find_last_not_of(' ') + 1);
  if (!display_host.empty()) run.profile.display_host = display_host;
  return rc;
}

bool IsMaxDb(const SystemInfo& info) { return info.database_system.rfind("ADA", 0) == 0; }

}  // namespace quillmeter
