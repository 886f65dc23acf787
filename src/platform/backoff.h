// Pauses between tries of a file operation that another process blocks for
// a moment: a virus scanner or backup agent that opens a fresh file, or
// another scan reading the profile while this one replaces it.
#ifndef QUILLMETER_PLATFORM_BACKOFF_H_
#define QUILLMETER_PLATFORM_BACKOFF_H_

#include <chrono>

namespace quillmeter {

// The time a Backoff counts and the way it pauses; tests give a fake one.
class BackoffClock {
 public:
  virtual ~BackoffClock() = default;
  // Monotonic time since any fixed point.
  virtual std::chrono::milliseconds Now() = 0;
  // Sleeps for `pause`.
  virtual void Sleep(std::chrono::milliseconds pause) = 0;
};

// The steady clock and a real sleep. Lives for the whole process.
BackoffClock& SystemBackoffClock();

// Short pauses at first, each twice the one before up to kLongestPause, and
// no further try once kBudget has passed since the first: an operation
// blocked longer than that fails as it would have without waiting.
class Backoff {
 public:
  static constexpr std::chrono::milliseconds kFirstPause{2};
  static constexpr std::chrono::milliseconds kLongestPause{200};
  static constexpr std::chrono::milliseconds kBudget{1000};

  // Starts counting: the first try is made now.
  explicit Backoff(BackoffClock& clock = SystemBackoffClock());

  // Pauses before the next try and returns true; returns false at once,
  // without pausing, when the budget is spent and the caller should give up.
  bool Pause();

 private:
  BackoffClock& clock_;
  std::chrono::milliseconds start_;
  std::chrono::milliseconds next_ = kFirstPause;
};

}  // namespace quillmeter

#endif  // QUILLMETER_PLATFORM_BACKOFF_H_
