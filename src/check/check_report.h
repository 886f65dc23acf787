// The lines of a setup check: one per step, in the order a scan takes the
// steps, each "[ok]  ", "[warn]" or "[FAIL]", the step's name, then what was
// found, or why it failed and what to do. Then what the sensor would answer
// and the result. Plain ASCII, one line each, for a Windows console.
#ifndef QUILLMETER_CHECK_CHECK_REPORT_H_
#define QUILLMETER_CHECK_CHECK_REPORT_H_

#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

#include "base/status.h"

namespace quillmeter {

// What stands between why a step failed and what to do.
inline constexpr char kFixMark[] = " - to fix: ";

// Lines may come from two threads (the check and its deadline): each is
// printed whole and at once, and none after Finish.
class CheckReport {
 public:
  explicit CheckReport(std::ostream& out) : out_(out) {}

  void Ok(std::string_view step, std::string_view found);
  void Warn(std::string_view step, std::string_view found);
  // A problem: why the step failed, then kFixMark and `fix`.
  void Fail(std::string_view step, std::string_view why, std::string_view fix);

  // A line as another check printed it, after `prefix`; a "[FAIL]" line
  // counts as a problem of this one.
  void Relay(std::string_view prefix, std::string_view line);
  // A plain line, such as a summary's.
  void Plain(std::string_view line);

  // What the sensor would answer, as the first fault a scan meets: the
  // first call wins.
  void Answer(std::string_view answer);
  void Answer(const Status& status);

  // Prints "The sensor would answer: ..." and "Result: ..." and returns the
  // exit code: 0 without a failed step, 1 with one. Lines after it are
  // dropped, and a second Finish prints nothing.
  int Finish();

  unsigned problems() const;

 private:
  void Print(std::string_view tag, std::string_view step, std::string_view text);

  std::ostream& out_;
  mutable std::mutex lock_;
  unsigned problems_ = 0;
  std::string answer_;
  bool finished_ = false;
};

// `text` as a line of the check: control characters and bytes outside
// ASCII become "?", so that no value can break or garble a line.
std::string CheckLineText(std::string_view text);

}  // namespace quillmeter

#endif  // QUILLMETER_CHECK_CHECK_REPORT_H_
