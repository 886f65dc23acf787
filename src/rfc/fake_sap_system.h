// The one fake of the SapSystem seam, for tests of the scan, the runs and
// the fuzz targets: systems answer from a setup per destination, every call
// is recorded, and any step can be made to fail.
#ifndef QUILLMETER_RFC_FAKE_SAP_SYSTEM_H_
#define QUILLMETER_RFC_FAKE_SAP_SYSTEM_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "rfc/sap_system.h"

namespace quillmeter {

// How one fake system answers. A status that is not ok is that step's
// failure.
struct FakeSystemSetup {
  Status open;
  std::string console_note;
  std::string collection = "Mon Dec  7 10:11:12 2026";
  Status collection_status;
  SystemInfo info{"ADABAS D  ", "sapprd01"};
  Status info_status;
  std::string monitor_line;  // "" for an empty table
  Status monitor_status;

  // Changes for tables of cases: FakeSystemSetup().FailMonitor(...).
  FakeSystemSetup& FailOpen(Status s) { return Set(&FakeSystemSetup::open, std::move(s)); }
  FakeSystemSetup& FailCollection(Status s) {
    return Set(&FakeSystemSetup::collection_status, std::move(s));
  }
  FakeSystemSetup& FailInfo(Status s) { return Set(&FakeSystemSetup::info_status, std::move(s)); }
  FakeSystemSetup& FailMonitor(Status s) {
    return Set(&FakeSystemSetup::monitor_status, std::move(s));
  }
  FakeSystemSetup& Database(std::string name) {
    info.database_system = std::move(name);
    return *this;
  }

 private:
  FakeSystemSetup& Set(Status FakeSystemSetup::*field, Status s) {
    this->*field = std::move(s);
    return *this;
  }
};

class FakeSapLibrary : public SapLibrary {
 public:
  std::unique_ptr<SapSystem> NewSystem(const CallLog& log) override;
  LibraryIdentity Identity() const override { return identity; }
  void DiscardTrace() override { calls.push_back("DiscardTrace"); }

  // A library that forwards to this one, for a run that owns its library
  // while the test keeps this one to look at afterwards.
  std::unique_ptr<SapLibrary> Lend();

  // The setup of the system a destination names; others answer with the
  // defaults of FakeSystemSetup.
  std::map<std::string, FakeSystemSetup> systems;

  // What the sensor asked for, in order: "NewSystem", "Open PRD",
  // "ReadCollectionTime PRD", "ReadSystemInfo PRD", "ReadMonitorLine PRD",
  // "Close PRD", "DiscardTrace".
  std::vector<std::string> calls;
  // The requests of every open, in order.
  std::vector<OpenRequest> opens;
  LibraryIdentity identity{"classic", "/fake/librfc32.so", ""};
};

// A TST04ADA line holding the four reported counters, each right-aligned in
// its field, every other field blank.
std::string MonitorLine(std::string_view logpages, std::string_view logwaits,
                        std::string_view rollbacks, std::string_view queueover);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_FAKE_SAP_SYSTEM_H_
