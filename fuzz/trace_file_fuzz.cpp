// The scan of the RFC library's trace file after a failed query: the input
// is the file, and its first byte picks the failure and the exception name
// the library hands back.
#include <string>

#include "fuzz_support.h"
#include "rfc/failure.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillmeter;
  if (size < 1) return 0;
  const std::string trace(reinterpret_cast<const char*>(data + 1), size - 1);

  {
    FakePlatform platform;
    platform.files["Dev_Rfc.Trc"] = trace;
    std::ostringstream out;
    RunState run(platform, out);
    const std::string failure = "Error 1014: RFC-Failure raised !";
    run.result.Set(failure);
    ScanTraceFile(run);
    const std::string& text = run.result.str();
    if (text.compare(0, failure.size(), failure) != 0 ||
        text.compare(failure.size(), 3, " - ") != 0)
      Require("the hint does not follow the failure", text);
    if (text.size() > failure.size() + 3 + 99) Require("hint longer than a trace piece", text);
  }

  FuzzRun fuzz;
  fuzz.platform.files[std::string(kSensorDir) + "PRD.P00"] = ValidProfile();
  fuzz.platform.files["Dev_Rfc.Trc"] = trace;
  FakeRfc& rfc = TheFakeRfc();
  // The exception name is the library's text: take it from the trace's
  // first line.
  std::string exception = trace.substr(0, trace.find('\n'));
  switch (data[0] % 4) {
    case 0: rfc.call_result = 1; break;
    case 1:
      rfc.receive_result = 2;
      rfc.exception_name = exception.c_str();
      break;
    case 2:
      rfc.receive_result = 3;
      rfc.exception_name = exception.c_str();
      break;
    case 3: rfc.receive_result = static_cast<RFC_RC>(data[0]); break;
  }
  int code = fuzz.Run({"PRD"});
  CheckRun(fuzz, code, true);
  if (code == 0 && data[0] % 4 != 3) Require("a failed query reported success", trace);
  return 0;
}
