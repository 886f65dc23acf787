#include "rfc/netweaver_sap_system.h"

#include <cstdio>
#include <vector>

#include "base/text.h"
#include "rfc/library_loading.h"
#include "rfc/nw_failure.h"
#include "rfc/nwrfc.h"
#include "rfc/sapnwrfc_ini.h"
#include "rfc/tst04ada.h"

namespace quillmeter {
namespace {

// The classic records' widths, so that both paths hand the scan the same
// text.
constexpr unsigned kLastCollectionWidth = 25;
constexpr unsigned kDatabaseSystemWidth = 10;
constexpr unsigned kHostWidth = 8;
constexpr const char* kMonitorTableFields[] = {"LOGPAGES", "LOGWAITS", "ROLLBACKS", "QUEUEOVER"};

struct NwLoaded {
  LoadedLibrary library;
  nw::Functions rfc;
  std::string version;  // "<major>.<minor>.<patch>"
};

// A connection and the calls made on it.
class NwSapSystem : public SapSystem {
 public:
  NwSapSystem(NwLoaded& loaded, Platform& platform, CallLog log)
      : rfc_(loaded.rfc), loaded_(loaded), platform_(platform), log_(std::move(log)) {}
  ~NwSapSystem() override { Close(); }

  Status Open(const OpenRequest& request, std::string* console_note) override;
  Status ReadCollectionTime(std::string* text) override;
  Status ReadSystemInfo(SystemInfo* info) override;
  Status ReadMonitorLine(std::string* line) override;

  void Close() override {
    if (connection_ != nullptr) rfc_.RfcCloseConnection(connection_, nullptr);
    connection_ = nullptr;
  }

 private:
  class Call;

  std::string TimeOfDay() {
    ClockTime now = platform_.Now();
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", now.hour % 100, now.minute % 100,
                  now.second % 100);
    return text;
  }

  nw::Functions& rfc_;
  NwLoaded& loaded_;
  Platform& platform_;
  CallLog log_;
  nw::Handle connection_ = nullptr;
};

// One function module's container, from the metadata lookup to its end.
// The first failure is kept; later steps do nothing.
class NwSapSystem::Call {
 public:
  Call(NwSapSystem& system, const char* function) : system_(system), function_(function) {
    nw::ErrorInfo error{};
    if (system.connection_ == nullptr) {
      status_ = Status::Error("Error 1015: Other Failure raised !",
                              std::string(function) + ": no connection");
      return;
    }
    nw::Handle desc =
        rfc().RfcGetFunctionDesc(system.connection_, SapUcFromCp1252(function).c_str(), &error);
    system.log_.Event(1, "RfcGetFunctionDesc called", function);
    // The description belongs to the library's cache: never destroyed here.
    if (desc == nullptr) {
      Fail(error, true);
      return;
    }
    handle_ = rfc().RfcCreateFunction(desc, &error);
    if (handle_ == nullptr) Fail(error, true);
  }
  ~Call() {
    // Frees the structures and tables taken from it as well.
    if (handle_ != nullptr) rfc().RfcDestroyFunction(handle_, nullptr);
  }

  void SetChars(const char* name, std::string_view value) {
    if (!status_.ok()) return;
    nw::ErrorInfo error{};
    std::u16string text = SapUcFromCp1252(value);
    if (rfc().RfcSetChars(handle_, SapUcFromCp1252(name).c_str(), text.c_str(),
                          static_cast<unsigned>(text.size()), &error) != nw::kOk)
      Fail(error, false);
  }

  void Invoke() {
    if (!status_.ok()) return;
    nw::ErrorInfo error{};
    int rc = rfc().RfcInvoke(system_.connection_, handle_, &error);
    system_.log_.Event(1, "RfcInvoke called", function_);
    if (rc == nw::kOk) return;
    // After these the library has closed the connection itself; closing it
    // again would hand it a handle it no longer knows.
    if (rc == nw::kCommunicationFailure || rc == nw::kAbapRuntimeFailure || rc == nw::kAbapMessage)
      system_.connection_ = nullptr;
    error.code = rc;
    Fail(error, false);
  }

  // Field `name` of the structure or table row `container` (the function
  // itself when null), `width` characters as the library pads them.
  void GetChars(nw::Handle container, const char* name, unsigned width, std::string* value) {
    if (!status_.ok()) return;
    nw::ErrorInfo error{};
    std::u16string buffer(width, u' ');
    if (rfc().RfcGetChars(container != nullptr ? container : handle_,
                          SapUcFromCp1252(name).c_str(), buffer.data(), width,
                          &error) != nw::kOk) {
      Fail(error, false);
      return;
    }
    *value = Cp1252FromSapUc(buffer.data(), buffer.size());
    // A NUL ends the text early; the field keeps its width all the same.
    value->resize(width, ' ');
  }

  nw::Handle Structure(const char* name) {
    nw::Handle structure = nullptr;
    if (!status_.ok()) return nullptr;
    nw::ErrorInfo error{};
    if (rfc().RfcGetStructure(handle_, SapUcFromCp1252(name).c_str(), &structure, &error) !=
            nw::kOk ||
        structure == nullptr)
      Fail(error, false);
    return structure;
  }

  // The table `name` at its last row; null when it has none, or failed.
  nw::Handle LastRow(const char* name, bool* empty) {
    *empty = true;
    nw::Handle table = nullptr;
    if (!status_.ok()) return nullptr;
    nw::ErrorInfo error{};
    unsigned rows = 0;
    if (rfc().RfcGetTable(handle_, SapUcFromCp1252(name).c_str(), &table, &error) != nw::kOk ||
        table == nullptr || rfc().RfcGetRowCount(table, &rows, &error) != nw::kOk) {
      Fail(error, false);
      return nullptr;
    }
    // An empty table has no last row to move to.
    if (rows == 0) return nullptr;
    if (rfc().RfcMoveToLastRow(table, &error) != nw::kOk) {
      Fail(error, false);
      return nullptr;
    }
    *empty = false;
    return table;
  }

  const Status& status() const { return status_; }

 private:
  nw::Functions& rfc() { return system_.rfc_; }
  void Fail(const nw::ErrorInfo& error, bool lookup) {
    NwError read = ReadNwError(error);
    // A library that fails without saying how still fails.
    if (read.code == nw::kOk) read.code = -1;
    status_ = NwCallFailure(function_, read, lookup);
  }

  NwSapSystem& system_;
  const char* function_;
  nw::Handle handle_ = nullptr;
  Status status_;
};

// The folder the library reads sapnwrfc.ini from: absolute, without the
// separator at its end.
std::string IniFolder(Platform& platform, const std::string& folder) {
  std::string full = platform.FullPath(folder);
  while (full.size() > 1 && platform.IsPathSeparator(full.back())) full.pop_back();
  return full;
}

Status NwSapSystem::Open(const OpenRequest& request, std::string* console_note) {
  Close();
  const ConnectionProfile& p = request.profile;
  *console_note = "* " + TimeOfDay() + " RFC library: " + loaded_.library.full_path +
                  " (NetWeaver " + loaded_.version + ")";
  const std::string failed = "Error 1011: RFC-Open for " + p.destination + " failed !";
  if (p.mode == "R/2")
    return Status::Error(failed, "R/2 connections need the classic RFC library (librfc32)");

  bool by_destination = false;
  std::string ini;
  if (platform_.ReadFile(request.profile_folder + kNetWeaverIniFile, &ini).ok()) {
    nw::ErrorInfo error{};
    std::u16string folder = SapUcFromCp1252(IniFolder(platform_, request.profile_folder));
    if (rfc_.RfcSetIniPath(folder.c_str(), &error) != nw::kOk) {
      NwError read = ReadNwError(error);
      return Status::Error(failed, NwFailureCause(read.message, read.key));
    }
    by_destination = IniHasDestination(ini, p.destination);
  }

  std::vector<std::pair<const char*, std::string>> values;
  if (by_destination) {
    // Routes, message servers and SNC come from the entry.
    values.emplace_back("DEST", p.destination);
  } else {
    values.emplace_back("ASHOST", request.overrides.host.value_or(p.host_name));
    values.emplace_back("SYSNR", request.overrides.system_number.value_or(p.system_number));
  }
  values.emplace_back("CLIENT", p.client);
  values.emplace_back("USER", UpperCase(p.user));
  values.emplace_back("PASSWD", p.password);
  values.emplace_back("LANG", p.language);
  // The library reads each value up to its NUL: a cut one could log on
  // elsewhere, or with less than the profile holds.
  for (const auto& [name, value] : values)
    if (value.find('\0') != std::string::npos)
      return Status::Error(failed, std::string(name) + " holds a NUL character");

  std::vector<std::u16string> texts;
  texts.reserve(values.size() * 2);
  std::vector<nw::ConnectionParameter> parameters;
  for (const auto& [name, value] : values) {
    texts.push_back(SapUcFromCp1252(name));
    texts.push_back(SapUcFromCp1252(value));
    parameters.push_back({texts[texts.size() - 2].c_str(), texts.back().c_str()});
  }
  nw::ErrorInfo error{};
  connection_ = rfc_.RfcOpenConnection(parameters.data(), static_cast<unsigned>(parameters.size()),
                                       &error);
  log_.Event(connection_ != nullptr ? 1 : 0, "RfcOpenConnection called",
             by_destination ? "DEST" : "ASHOST");
  if (connection_ != nullptr) return Status::Ok();
  NwError read = ReadNwError(error);
  std::string cause = NwFailureCause(read.message, read.key);
  if (IsNwLogonRefusal(read)) return Status::Refused(failed, cause);
  return Status::Error(failed, cause);
}

Status NwSapSystem::ReadCollectionTime(std::string* text) {
  Call call(*this, "GET_CPU_ALL");
  call.SetChars("LOCAL_REMOTE", "LOCAL");
  call.Invoke();
  call.GetChars(nullptr, "LASTCOLLWRT", kLastCollectionWidth, text);
  return call.status();
}

Status NwSapSystem::ReadSystemInfo(SystemInfo* info) {
  Call call(*this, "RFC_SYSTEM_INFO");
  call.Invoke();
  nw::Handle rfcsi = call.Structure("RFCSI_EXPORT");
  SystemInfo read;
  call.GetChars(rfcsi, "RFCDBSYS", kDatabaseSystemWidth, &read.database_system);
  call.GetChars(rfcsi, "RFCHOST", kHostWidth, &read.host);
  if (call.status().ok()) *info = read;
  return call.status();
}

Status NwSapSystem::ReadMonitorLine(std::string* line) {
  Call call(*this, "ADA_ST04");
  call.Invoke();
  bool empty = true;
  nw::Handle row = call.LastRow("TST04ADA", &empty);
  if (!call.status().ok() || empty) {
    if (call.status().ok()) line->clear();
    return call.status();
  }
  // The figures' fields in their places of the classic line; the others
  // stay blank, as the sensor reads none of them.
  std::string built(kMonitorLineLength, ' ');
  for (const char* name : kMonitorTableFields) {
    std::string value;
    const FieldPlace place = *MonitorFieldPlace(name);
    call.GetChars(row, name, static_cast<unsigned>(place.length), &value);
    built.replace(place.offset, place.length, value, 0, place.length);
  }
  if (call.status().ok()) *line = built;
  return call.status();
}

class NwSapLibrary : public SapLibrary {
 public:
  NwSapLibrary(Platform& platform, std::unique_ptr<NwLoaded> loaded)
      : platform_(platform), loaded_(std::move(loaded)) {}

  std::unique_ptr<SapSystem> NewSystem(const CallLog& log) override {
    return std::make_unique<NwSapSystem>(*loaded_, platform_, log);
  }

  // The library writes no trace file the sensor reads.
  LibraryIdentity Identity() const override {
    return {"NetWeaver", loaded_->library.full_path, loaded_->version};
  }

  void DiscardTrace() override {}

 private:
  Platform& platform_;
  std::unique_ptr<NwLoaded> loaded_;
};

}  // namespace

Status LoadNetWeaverLibrary(Platform& platform, std::unique_ptr<SapLibrary>* library) {
  auto loaded = std::make_unique<NwLoaded>();
  if (Status load = LoadVendorLibrary(platform, NetWeaverLibraryFileName(), true, &loaded->library);
      !load.ok())
    return load;
  Status missing;
  nw::ForEachOperation(loaded->rfc, [&](const char* name, auto* function) {
    if (!missing.ok()) return;
    Status found = ResolveOperation(*loaded->library.module, name, function);
    if (!found.ok()) missing = MissingOperation(loaded->library.path, name, found.cause());
  });
  if (!missing.ok()) return missing;
  unsigned major = 0, minor = 0, patch = 0;
  (void)loaded->rfc.RfcGetVersion(&major, &minor, &patch);
  loaded->version =
      std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
  *library = std::make_unique<NwSapLibrary>(platform, std::move(loaded));
  return Status::Ok();
}

}  // namespace quillmeter
