#include "driver/deadline.h"

namespace quillmeter {

Deadline::Deadline(Clock::time_point at,
                   std::function<void(const std::string&, const std::string&)> answer_late,
                   std::function<void(int)> end)
    : at_(at), answer_late_(std::move(answer_late)), end_(std::move(end)) {
  watch_ = std::thread([this] { Watch(); });
}

Deadline::~Deadline() {
  {
    std::lock_guard<std::mutex> hold(state_);
    stopped_ = true;
  }
  stop_.notify_all();
  watch_.join();
}

void Deadline::Track(const std::string& what, const std::string& step) {
  std::lock_guard<std::mutex> hold(state_);
  what_ = what;
  step_ = step;
}

void Deadline::Step(const std::string& step) {
  std::lock_guard<std::mutex> hold(state_);
  step_ = step;
}

void Deadline::MoveTo(Clock::time_point at) {
  {
    std::lock_guard<std::mutex> hold(state_);
    at_ = at;
  }
  stop_.notify_all();
}

Deadline::Clock::time_point Deadline::at() {
  std::lock_guard<std::mutex> hold(state_);
  return at_;
}

bool Deadline::Claim(int code) {
  std::lock_guard<std::mutex> hold(state_);
  if (claimed_) return false;
  claimed_ = true;
  claimed_code_ = code;
  return true;
}

void Deadline::Watch() {
  std::unique_lock<std::mutex> hold(state_);
  // MoveTo wakes the watch to wait for the new time.
  for (Clock::time_point until = at_; !stopped_ && Clock::now() < until; until = at_)
    stop_.wait_until(hold, until);
  if (stopped_) return;
  // The deadline came first. A run that claimed its answer has printed it
  // and is only slow to end (a library that will not close, say).
  bool answered = claimed_;
  int code = answered ? claimed_code_ : 2;
  claimed_ = true;
  std::string what = what_, step = step_;
  hold.unlock();
  // An answer being printed is finished first.
  std::lock_guard<std::mutex> printing(output_);
  if (!answered) answer_late_(what, step);
  end_(code);
}

}  // namespace quillmeter
