// A fake librfc32 for the query tests: it serves the records of
// RFC_SYSTEM_INFO, GET_CPU_ALL and ADA_ST04, records what the sensor asked
// for, and fails on demand. Its operations are plain functions, so its state
// is one per process: ResetFakeRfc before each test.
#ifndef QUILLMETER_QUERIES_FAKE_RFC_H_
#define QUILLMETER_QUERIES_FAKE_RFC_H_

#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "driver/run_state.h"
#include "platform/fake_platform.h"
#include "rfc/rfc_library.h"

namespace quillmeter {

struct FakeTable {
  std::string name;
  unsigned width = 0;
  std::vector<std::string> lines;
};

struct FakeRfc {
  // What the remote system answers.
  std::string database_system = "ADA";
  std::string host = "sapprd01";
  std::string last_collection = "Mon Dec  7 10:11:12 2026";
  unsigned cpu_lines = 2;
  std::vector<std::string> monitor_lines;  // padded or cut to the table width

  // Failures on demand.
  RFC_RC install_result = kRfcOk;
  RFC_RC call_result = kRfcOk;
  RFC_RC receive_result = kRfcOk;
  const char* exception_name = nullptr;  // handed back for results 2 and 3
  bool fail_create = false;
  unsigned fail_line = 0;  // ItGetLine of this line number gives null
  int delete_result = 0;

  // What the sensor did: "RfcInstallStructure TST04SQD 34/860",
  // "ItCreate TST04ADA 860", "RfcCall ADA_ST04", "RfcReceive ADA_ST04",
  // "ItDelete TST04ADA", ... in order.
  std::vector<std::string> calls;
  // The last lists passed, as "NAME/type/length" joined by blanks; a
  // structure type shows its name.
  std::string exporting;
  std::string importing;
  std::string tables;

  std::vector<std::unique_ptr<FakeTable>> live_tables;
  std::vector<std::string> installed;  // type handle n is installed[n - 1]
  std::string function;                // of the last RfcCall
};

// Clears the fake's state to its defaults and returns it.
FakeRfc& ResetFakeRfc();
FakeRfc& TheFakeRfc();

// A library whose operations are the fake's.
std::unique_ptr<RfcLibrary> MakeFakeRfcLibrary();

// A run over FakePlatform with a freshly reset fake library loaded and a
// connection open.
struct FakeRun {
  FakeRun();
  FakePlatform platform;
  std::ostringstream out;
  RunState run{platform, out};
};

// A TST04ADA line holding the four reported counters, each right-aligned in
// its 26-character field, every other field blank.
std::string MonitorLine(std::string_view logpages, std::string_view logwaits,
                        std::string_view rollbacks, std::string_view queueover);

}  // namespace quillmeter

#endif  // QUILLMETER_QUERIES_FAKE_RFC_H_
