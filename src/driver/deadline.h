// The run's deadline. PRTG kills a sensor that has not answered by its
// timeout and shows only "timeout"; the sensor answers before, whatever the
// RFC library does: a watch thread prints the late answer and ends the
// process at once, with other threads stuck in the library.
#ifndef QUILLMETER_DRIVER_DEADLINE_H_
#define QUILLMETER_DRIVER_DEADLINE_H_

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace quillmeter {

class Deadline {
 public:
  using Clock = std::chrono::steady_clock;

  // Watches until `at`. Then, unless the run has claimed its answer,
  // `answer_late(what, step)` prints the late answer (it is called with the
  // output held); either way `end(code)` ends the process, with the claimed
  // answer's code or 2.
  Deadline(Clock::time_point at,
           std::function<void(const std::string& what, const std::string& step)> answer_late,
           std::function<void(int code)> end);
  // Stops the watch.
  ~Deadline();
  Deadline(const Deadline&) = delete;
  Deadline& operator=(const Deadline&) = delete;

  // What the run waits on now: the system (its destination) and the step,
  // for the late answer.
  void Track(const std::string& what, const std::string& step);
  void Step(const std::string& step);

  // Claims the answer for the run, which then prints it; its exit code is
  // `code`. False when the deadline has answered already: the caller must
  // print nothing.
  bool Claim(int code);

  // Held while the run prints, so that a late answer never cuts into a line.
  std::unique_lock<std::mutex> HoldOutput() { return std::unique_lock<std::mutex>(output_); }

  // Watches until `at` instead, as a time the run learns late (from a
  // listing) says; a time already past answers at once.
  void MoveTo(Clock::time_point at);

  Clock::time_point at();

 private:
  void Watch();

  Clock::time_point at_;
  std::function<void(const std::string&, const std::string&)> answer_late_;
  std::function<void(int)> end_;
  std::mutex output_;
  std::mutex state_;
  std::condition_variable stop_;
  bool stopped_ = false;
  bool claimed_ = false;
  int claimed_code_ = 0;
  std::string what_;
  std::string step_;
  std::thread watch_;
};

}  // namespace quillmeter

#endif  // QUILLMETER_DRIVER_DEADLINE_H_
