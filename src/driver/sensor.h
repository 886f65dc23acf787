// The sensor's entry: one run from the command line to the exit code.
#ifndef QUILLMETER_DRIVER_SENSOR_H_
#define QUILLMETER_DRIVER_SENSOR_H_

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "base/status.h"
#include "driver/sensor_directory.h"
#include "driver/worker.h"
#include "platform/platform.h"
#include "rfc/failure.h"
#include "rfc/library_choice.h"
#include "rfc/sap_system.h"

namespace quillmeter {

// What a run works with; main gives the real ones, tests their fakes.
struct SensorContext {
  SensorContext(Platform& platform, std::ostream& out);

  Platform& platform;
  std::ostream& out;  // standard output: the document or console text
  SearchRoots roots;  // where the PRTG sensor directory is searched
  // Loads the library a profile chose for its scans, whose own failures
  // are reported to the sink: by default SAP's, as LoadSapLibrary does.
  std::function<Status(RfcLibraryChoice, FailureSink&, std::unique_ptr<SapLibrary>*)> load_library;
  // Makes the worker that scans one system of a multi-system run: by
  // default a process of this executable.
  std::function<std::unique_ptr<SystemWorker>()> new_worker;
};

// Runs the sensor on `arguments` (without the program name): prints the
// document or console text on context.out and returns the exit code: 0
// success, 2 every reported error. Exit code 1 belongs to the RFC failure
// handler, which ends the process itself.
int RunSensor(const std::vector<std::string>& arguments, SensorContext& context);

}  // namespace quillmeter

#endif  // QUILLMETER_DRIVER_SENSOR_H_
