// What every simulated library shares, whatever vendor library it stands in
// for: finding a system's description, checking a logon as SAP does, the
// system's answers, its latency and hangs, and the call log SimRfc.log.
#ifndef QUILLMETER_SIMRFC_SYSTEM_H_
#define QUILLMETER_SIMRFC_SYSTEM_H_

#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "description.h"

namespace simrfc {

inline constexpr char kDescriptionSuffix[] = ".simrfc";
inline constexpr size_t kCpuLineLength = 48;

// Appends `line` to SimRfc.log in the working directory, only when a test
// created that file. One write per line, so concurrent scans keep lines whole.
void Log(const std::string& line);

// A text as the call log shows it: bracketed, unprintable bytes as \xNN.
std::string Shown(const std::string& text);

std::string Upper(std::string text);
std::string TrimRight(std::string text);

// Sleeps the system's latency.
void Wait(const SimSystem& system);
// Never returns while the process lives when the system hangs at `target`
// ("open" or a function name).
void HangIfAsked(const SimSystem& system, const std::string& target);

std::tm LocalNow();

enum class Lookup { kFound, kNoFile, kInvalid };

// Reads "<destination>.simrfc" from the working directory into *system.
// kNoFile for a missing file or a name no plain file can have; kInvalid with
// *error naming the line and fault.
Lookup LoadSystem(const std::string& destination, std::shared_ptr<const SimSystem>* system,
                  std::string* error);

// The destinations of the description files in the working directory, sorted.
std::vector<std::string> DescribedDestinations();

enum class LogonResult { kAccepted, kUnknownClient, kRefused, kLocked };

// Checks a logon against the system as SAP does and keeps SAP's counter of
// refused logons in a row ("<DEST>.simrfc-logons") where the system locks
// users. A refusal is written to the call log with its count.
LogonResult CheckLogon(const SimSystem& system, const std::string& client,
                       const std::string& user, const std::string& password);

// SAP's text for a refused logon, in German for a language starting with D
// (D, DE).
std::string RefusalText(bool locked, const std::string& language);

// A value the simulated system returns for a scalar parameter.
struct Value {
  bool is_number = false;
  long number = 0;
  std::string text;
};

// What a function returns: scalar values by name, table lines by name (each
// with the fill character of its layout).
struct Answer {
  std::map<std::string, Value> importing;
  std::map<std::string, std::pair<std::vector<std::string>, char>> tables;
};

// Whether the system knows the function module.
bool KnownFunction(const std::string& function);

// The system's answer to `function` now; empty for an unknown function.
Answer AnswerOf(const SimSystem& system, const std::string& function);

// One field of the RFCSI record, in record order.
struct RecordField {
  const char* name;
  size_t length;
};
// The fields of RFCSI, 200 characters in all.
const std::vector<RecordField>& SystemInfoFields();

// The offsets of the binary TF_CPU_ALL line's numbers: three 2-byte ones at
// 0, 2 and 4, then ten 4-byte ones from 8.
inline constexpr size_t kCpuShorts = 3;
inline constexpr size_t kCpuInts = 10;
inline constexpr size_t kCpuIntsOffset = 8;

}  // namespace simrfc

#endif  // QUILLMETER_SIMRFC_SYSTEM_H_
