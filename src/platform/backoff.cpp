#include "platform/backoff.h"

#include <algorithm>
#include <thread>

namespace quillmeter {
namespace {

class SteadyClock : public BackoffClock {
 public:
  std::chrono::milliseconds Now() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
  }
  void Sleep(std::chrono::milliseconds pause) override { std::this_thread::sleep_for(pause); }
};

}  // namespace

BackoffClock& SystemBackoffClock() {
  static SteadyClock clock;
  return clock;
}

Backoff::Backoff(BackoffClock& clock) : clock_(clock), start_(clock.Now()) {}

bool Backoff::Pause() {
  // The tries themselves count against the budget: slow ones leave less
  // time to wait.
  std::chrono::milliseconds elapsed = clock_.Now() - start_;
  if (elapsed >= kBudget) return false;
  clock_.Sleep(std::min(next_, kBudget - elapsed));
  next_ = std::min(next_ * 2, kLongestPause);
  return true;
}

}  // namespace quillmeter
