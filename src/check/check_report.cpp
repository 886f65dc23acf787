#include "check/check_report.h"

#include "base/text.h"
#include "driver/sensor_run.h"

namespace quillmeter {

namespace {

std::string Printable(std::string line) {
  for (char& c : line)
    if (c < ' ' || c > '~') c = '?';
  return line;
}

}  // namespace

std::string CheckLineText(std::string_view text) { return Printable(OneLine(text)); }

void CheckReport::Print(std::string_view tag, std::string_view step, std::string_view text) {
  std::lock_guard<std::mutex> hold(lock_);
  if (finished_) return;
  if (tag == "[FAIL]") ++problems_;
  out_ << tag << ' ' << CheckLineText(step) << ": " << CheckLineText(text) << '\n';
  out_.flush();
}

void CheckReport::Ok(std::string_view step, std::string_view found) {
  Print("[ok]  ", step, found);
}

void CheckReport::Warn(std::string_view step, std::string_view found) {
  Print("[warn]", step, found);
}

void CheckReport::Fail(std::string_view step, std::string_view why, std::string_view fix) {
  Print("[FAIL]", step, std::string(why) + kFixMark + std::string(fix));
}

void CheckReport::Relay(std::string_view prefix, std::string_view line) {
  std::lock_guard<std::mutex> hold(lock_);
  if (finished_) return;
  if (StartsWith(line, "[FAIL]")) ++problems_;
  // The line is one already: folding its blanks would take the padding of
  // "[ok]  " and the relayed lines would no longer line up.
  out_ << Printable(std::string(prefix) + std::string(line)) << '\n';
  out_.flush();
}

void CheckReport::Plain(std::string_view line) {
  std::lock_guard<std::mutex> hold(lock_);
  if (finished_) return;
  out_ << CheckLineText(line) << '\n';
  out_.flush();
}

void CheckReport::Answer(std::string_view answer) {
  std::lock_guard<std::mutex> hold(lock_);
  if (answer_.empty()) answer_ = answer;
}

void CheckReport::Answer(const Status& status) { Answer(Rendered(status)); }

int CheckReport::Finish() {
  std::lock_guard<std::mutex> hold(lock_);
  if (finished_) return problems_ == 0 ? 0 : 1;
  finished_ = true;
  out_ << "The sensor would answer: " << CheckLineText(answer_) << '\n'
       << "Result: "
       << (problems_ == 0 ? std::string("no problems") : std::to_string(problems_) + " problem(s)")
       << '\n';
  out_.flush();
  return problems_ == 0 ? 0 : 1;
}

unsigned CheckReport::problems() const {
  std::lock_guard<std::mutex> hold(lock_);
  return problems_;
}

}  // namespace quillmeter
