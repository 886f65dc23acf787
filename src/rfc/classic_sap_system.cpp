#include "rfc/classic_sap_system.h"

#include "rfc/failure.h"
#include "rfc/logon.h"
#include "rfc/remote_functions.h"
#include "rfc/rfc_library.h"
#include "rfc/trace_file.h"

namespace quillmeter {
namespace {

class ClassicSapSystem : public SapSystem {
 public:
  ClassicSapSystem(RfcLibrary& rfc, FailureReporter& failure, Platform& platform, CallLog log)
      : log_(std::move(log)), session_{rfc, failure, log_}, platform_(platform) {}
  ~ClassicSapSystem() override { Close(); }

  Status Open(const OpenRequest& request, std::string* console_note) override {
    return OpenConnection(session_, platform_, request, console_note);
  }

  Status ReadCollectionTime(std::string* text) override {
    std::string exception;
    return Outcome(CallGetCpuAll(session_, text, &exception), exception);
  }

  Status ReadSystemInfo(SystemInfo* info) override {
    std::string exception;
    return Outcome(CallSystemInfo(session_, info, &exception), exception);
  }

  Status ReadMonitorLine(std::string* line) override {
    std::string exception;
    return Outcome(CallAdaSt04(session_, line, &exception), exception);
  }

  void Close() override { CloseConnection(session_); }

 private:
  // A failed query's message carries the trace file's hint, read while the
  // failure is the library's latest.
  Status Outcome(RFC_RC rc, const std::string& exception) {
    if (rc == kRfcOk) return Status::Ok();
    return Status::Error(QueryFailureMessage(rc, exception) + quillmeter::TraceHint(platform_));
  }

  CallLog log_;
  RfcSession session_;
  Platform& platform_;
};

class ClassicSapLibrary : public SapLibrary {
 public:
  ClassicSapLibrary(Platform& platform, FailureSink& sink, std::unique_ptr<RfcLibrary> rfc)
      : platform_(platform), rfc_(std::move(rfc)), failure_(*rfc_, sink, platform) {}

  std::unique_ptr<SapSystem> NewSystem(const CallLog& log) override {
    failure_.RegisterEnvironment();
    log.Event(0, "RfcEnvironment called");
    return std::make_unique<ClassicSapSystem>(*rfc_, failure_, platform_, log);
  }

  LibraryIdentity Identity() const override { return {"classic", rfc_->full_path, ""}; }

  void DiscardTrace() override { (void)platform_.RemoveFile(kTraceFile); }

 private:
  Platform& platform_;
  std::unique_ptr<RfcLibrary> rfc_;
  FailureReporter failure_;
};

}  // namespace

Status LoadClassicLibrary(Platform& platform, FailureSink& sink,
                          std::unique_ptr<SapLibrary>* library) {
  std::unique_ptr<RfcLibrary> rfc;
  if (Status loaded = LoadRfcLibrary(platform, &rfc); !loaded.ok()) return loaded;
  *library = std::make_unique<ClassicSapLibrary>(platform, sink, std::move(rfc));
  return Status::Ok();
}

}  // namespace quillmeter
