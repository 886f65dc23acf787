#include "rfc/fake_sap_system.h"

#include "rfc/tst04ada.h"

namespace quillmeter {
namespace {

class FakeSapSystem : public SapSystem {
 public:
  explicit FakeSapSystem(FakeSapLibrary& library) : library_(library) {}

  Status Open(const OpenRequest& request, std::string* console_note) override {
    destination_ = request.profile.destination;
    Record("Open");
    library_.opens.push_back(request);
    setup_ = library_.systems[destination_];
    *console_note = setup_.console_note;
    open_ = setup_.open.ok();
    return setup_.open;
  }

  Status ReadCollectionTime(std::string* text) override {
    Record("ReadCollectionTime");
    if (setup_.collection_status.ok()) *text = setup_.collection;
    return setup_.collection_status;
  }

  Status ReadSystemInfo(SystemInfo* info) override {
    Record("ReadSystemInfo");
    if (setup_.info_status.ok()) *info = setup_.info;
    return setup_.info_status;
  }

  Status ReadMonitorLine(std::string* line) override {
    Record("ReadMonitorLine");
    if (setup_.monitor_status.ok()) *line = setup_.monitor_line;
    return setup_.monitor_status;
  }

  void Close() override {
    if (open_) Record("Close");
    open_ = false;
  }

 private:
  void Record(const std::string& call) { library_.calls.push_back(call + " " + destination_); }

  FakeSapLibrary& library_;
  FakeSystemSetup setup_;
  std::string destination_;
  bool open_ = false;
};

class LentLibrary : public SapLibrary {
 public:
  explicit LentLibrary(FakeSapLibrary& library) : library_(library) {}
  std::unique_ptr<SapSystem> NewSystem(const CallLog& log) override {
    return library_.NewSystem(log);
  }
  LibraryIdentity Identity() const override { return library_.Identity(); }
  void DiscardTrace() override { library_.DiscardTrace(); }

 private:
  FakeSapLibrary& library_;
};

}  // namespace

std::unique_ptr<SapLibrary> FakeSapLibrary::Lend() { return std::make_unique<LentLibrary>(*this); }

std::unique_ptr<SapSystem> FakeSapLibrary::NewSystem(const CallLog&) {
  calls.push_back("NewSystem");
  return std::make_unique<FakeSapSystem>(*this);
}

std::string MonitorLine(std::string_view logpages, std::string_view logwaits,
                        std::string_view rollbacks, std::string_view queueover) {
  std::string line(kMonitorLineLength, ' ');
  auto put = [&line](std::string_view name, std::string_view value) {
    FieldPlace place = *MonitorFieldPlace(name);
    value = value.substr(0, place.length);
    line.replace(place.offset + place.length - value.size(), value.size(), value);
  };
  put("LOGPAGES", logpages);
  put("LOGWAITS", logwaits);
  put("ROLLBACKS", rollbacks);
  put("QUEUEOVER", queueover);
  return line;
}

}  // namespace quillmeter
