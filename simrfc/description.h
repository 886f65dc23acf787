// A simulated SAP system, as its description file "<DEST>.simrfc" in the
// working directory tells it. The format is in README.md.
#ifndef QUILLMETER_SIMRFC_DESCRIPTION_H_
#define QUILLMETER_SIMRFC_DESCRIPTION_H_

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace simrfc {

// Where the system fails on demand.
enum class FailPoint {
  kOpen,
  kInstall,
  kCall,
  kReceive,
  kHandler,
  kItCreate,
  kItGetLine,
  kItDelete,
  kHang
};

struct Failure {
  FailPoint point;
  std::string target;     // function, structure or table name; empty for any
  int result = 1;         // for kCall and kReceive
  std::string exception;  // for results 2 and 3
};

// One TST04ADA field value: a number that may grow with the clock, or text.
struct FieldValue {
  bool literal = false;
  std::string text;  // the literal text
  uint64_t base = 0;
  uint64_t rate = 0;    // per second since the system's epoch
  bool dotted = false;  // 1.234.567
  bool left = false;    // left-aligned instead of right-aligned
};

struct St04Line {
  std::vector<std::pair<std::string, FieldValue>> fields;  // by field name
};

enum class TraceStyle { kFull, kBare, kOff };

struct SimSystem {
  std::string destination;
  std::optional<std::string> client, user, password;  // absent: any is taken
  std::string database = "ADABAS D";
  std::string host = "simhost";
  // The instance number the system answers on by host; any when absent.
  std::optional<std::string> system_number;
  std::string system_id;  // RFCSYSID; the destination when not given
  std::string last_collection = "clock";
  unsigned cpu_lines = 1;
  std::time_t epoch = 1704067200;  // 2024-01-01 00:00:00 UTC
  TraceStyle trace = TraceStyle::kFull;
  unsigned latency_ms = 0;  // every open, call and receive takes this long
  // The user is locked after this many refused logons in a row (0: never),
  // as SAP's login/fails_to_user_lock.
  unsigned lock_after = 0;
  bool st04_given = false;
  std::vector<St04Line> st04_lines;
  std::vector<Failure> failures;

  // The failure configured for `point` and `target`, or null.
  const Failure* FailureAt(FailPoint point, const std::string& target) const;
};

// Parses the text of a description file. Returns false with *error naming
// the line and the fault.
bool ParseDescription(const std::string& text, SimSystem* system, std::string* error);

// The 26 (or other `width`) characters of a field in its line, at `now`.
std::string FormatField(const FieldValue& value, std::time_t now, std::time_t epoch, size_t width);

// Offset and length of a TST04ADA field by name; false for an unknown name.
bool St04Field(const std::string& name, size_t* offset, size_t* length);

// The names of the TST04ADA fields in line order.
std::vector<std::string> St04FieldNames();

inline constexpr size_t kSt04LineLength = 860;

}  // namespace simrfc

#endif  // QUILLMETER_SIMRFC_DESCRIPTION_H_
