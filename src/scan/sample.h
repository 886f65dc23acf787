// One sample of a system, made from what the remote system answered: its
// stamp from the collection text, its counters from the monitor line.
#ifndef QUILLMETER_SCAN_SAMPLE_H_
#define QUILLMETER_SCAN_SAMPLE_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "profiles/figures.h"
#include "profiles/history.h"
#include "rfc/sap_system.h"

namespace quillmeter {

// The stamp of a last-collection text ("Wed Jun  1 09:05:07 2011"): date
// YYYYMMDD, the century always "20", and time HH:MM:SS, taken from fixed
// columns. An unknown month name leaves its letters; a byte that is not
// printable becomes "?", as the stamp goes into a profile line.
SampleStamp StampOfCollection(std::string_view text);

// Removes every blank and "." from a text of four or more characters, for a
// fixed-width monitor field; shorter texts come back unchanged.
std::string StripBlanksAndDots(std::string_view text);

// The value of a monitor field: blanks and dots removed, then the leading
// decimal digits. No digits, or a number beyond 64 bits, gives 0.
std::uint64_t CounterValue(std::string_view field);

// The counters of the figures in a TST04ADA line; a line too short for a
// field reads what it holds of it, an empty line all 0.
Counters CountersOfMonitorLine(std::string_view line);

// True when the database system is MaxDB (its name begins with "ADA").
bool IsMaxDb(const SystemInfo& info);

}  // namespace quillmeter

#endif  // QUILLMETER_SCAN_SAMPLE_H_
