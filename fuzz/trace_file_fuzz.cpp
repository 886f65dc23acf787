// The scan of the RFC library's trace file after a failed query: the input
// is the file, and its first byte picks the failure and the exception name
// the library hands back.
#include <string>

#include "fuzz_support.h"
#include "rfc/remote_call.h"
#include "rfc/trace_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillmeter;
  if (size < 1) return 0;
  const std::string trace(reinterpret_cast<const char*>(data + 1), size - 1);

  {
    FakePlatform platform;
    platform.files["Dev_Rfc.Trc"] = trace;
    const std::string failure = "Error 1014: RFC-Failure raised !";
    const std::string text = failure + TraceHint(platform);
    if (text.compare(0, failure.size(), failure) != 0 ||
        text.compare(failure.size(), 3, " - ") != 0)
      Require("the hint does not follow the failure", text);
    if (text.size() > failure.size() + 3 + 99) Require("hint longer than a trace piece", text);
  }

  FuzzRun fuzz;
  fuzz.platform.files[std::string(kSensorDir) + "PRD.P00"] = ValidProfile();
  fuzz.platform.files["Dev_Rfc.Trc"] = trace;
  // A failed query as the classic library reports it: the result code's
  // message, an exception name that is the library's text (taken from the
  // trace's first line), and the trace file's hint.
  std::string exception = ExceptionName(trace.substr(0, trace.find('\n')).c_str());
  RFC_RC codes[] = {kRfcFailure, kRfcException, kRfcSysException, static_cast<RFC_RC>(data[0])};
  RFC_RC rc = codes[data[0] % 4];
  Status failed = Status::Error(QueryFailureMessage(rc, exception) + TraceHint(fuzz.platform));
  FakeSystemSetup& system = fuzz.library.systems["PRD"];
  switch (data[0] / 4 % 3) {
    case 0: system.FailCollection(failed); break;
    case 1: system.FailInfo(failed); break;
    case 2: system.FailMonitor(failed); break;
  }
  int code = fuzz.Run({"PRD"});
  CheckRun(fuzz, code, true);
  if (code == 0 && data[0] % 4 != 3) Require("a failed query reported success", trace);
  return 0;
}
