// Shared pieces of the fuzz targets: an in-process run of the whole sensor
// over an in-memory platform and a fake RFC library, and the promises every
// run keeps, checked after each input.
#ifndef QUILLMETER_FUZZ_FUZZ_SUPPORT_H_
#define QUILLMETER_FUZZ_FUZZ_SUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fake_platform.h"
#include "prtg_answer.h"
#include "rfc/fake_sap_system.h"

namespace quillmeter {

// The first default PRTG sensor directory of the fake platform.
inline constexpr const char kSensorDir[] = "/Programme/PRTG Network Monitor/Custom Sensors/ExeXml/";

// A complete, valid system profile of destination PRD (the stored password
// unscrambles to "Secret12").
std::string ValidProfile();

// One run of RunSensor over `platform` and the fake SAP library, whose
// systems answer every query as a MaxDB system unless set up otherwise; an
// exit of a failure handler is taken as exit code 1.
struct FuzzRun {
  int Run(const std::vector<std::string>& arguments);

  FakePlatform platform;
  FakeSapLibrary library;
  std::ostringstream out;
};

// Empty when the profile at `path` holds every line of `original` other
// than history lines, whole and in order; otherwise says what was lost.
std::string RewriteFault(std::string_view original, const FakePlatform& platform,
                         const std::string& path);

// Checks the promises of a run: an exit code of 0, 1 or 2; in a document
// mode without console trace a single document, an error document for 2 and
// the RFC failure report for 1. Aborts with the input's fault printed
// otherwise.
void CheckRun(const FuzzRun& run, int exit_code, bool plain_document);

// Aborts with `what` printed when `fault` is not empty.
void Require(const std::string& fault, std::string_view what);

// Splits `data` at each `separator`, into at most `max_parts` parts (the
// last one keeps the rest).
std::vector<std::string> SplitInput(const uint8_t* data, size_t size, char separator,
                                    size_t max_parts);

}  // namespace quillmeter

#endif  // QUILLMETER_FUZZ_FUZZ_SUPPORT_H_
