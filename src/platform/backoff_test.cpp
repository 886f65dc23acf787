#include "platform/backoff.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillmeter {
namespace {

using std::chrono::milliseconds;
using Pauses = std::vector<long long>;

// A clock that moves only when the code under test sleeps, or when a try
// takes its time.
class FakeClock : public BackoffClock {
 public:
  milliseconds Now() override { return now; }
  void Sleep(milliseconds pause) override {
    pauses.push_back(pause.count());
    now += pause;
  }
  milliseconds now{5000};
  Pauses pauses;
};

// Tries, each taking `try_ms`, until the backoff gives up; the pauses taken.
Pauses PausesWhenEachTryTakes(long long try_ms) {
  FakeClock clock;
  Backoff backoff(clock);
  do clock.now += milliseconds(try_ms);
  while (backoff.Pause() && clock.pauses.size() < 100);
  return clock.pauses;
}

TEST(BackoffTest, PausesGrowAndEndWithinTheBudget) {
  const struct {
    long long try_ms;
    Pauses pauses;
  } cases[] = {
      // Doubling up to the longest pause; the last one is cut to the budget.
      {0, {2, 4, 8, 16, 32, 64, 128, 200, 200, 200, 146}},
      {10, {2, 4, 8, 16, 32, 64, 128, 200, 200, 200, 36}},
      // Slow tries use up the budget themselves.
      {300, {2, 4, 8}},
      {999, {1}},
      // A try that takes the whole budget is the last one.
      {1000, {}},
      {5000, {}},
  };
  for (const auto& c : cases) {
    Pauses pauses = PausesWhenEachTryTakes(c.try_ms);
    EXPECT_EQ(pauses, c.pauses) << "each try takes " << c.try_ms << " ms";
    long long waited = 0;
    for (long long p : pauses) waited += p;
    EXPECT_LE(waited + c.try_ms * static_cast<long long>(pauses.size()), Backoff::kBudget.count())
        << "each try takes " << c.try_ms << " ms";
  }
}

TEST(BackoffTest, SystemClockReallyPauses) {
  BackoffClock& clock = SystemBackoffClock();
  milliseconds before = clock.Now();
  Backoff backoff;
  EXPECT_TRUE(backoff.Pause());
  EXPECT_TRUE(backoff.Pause());
  EXPECT_GE(clock.Now() - before, Backoff::kFirstPause * 3);
}

}  // namespace
}  // namespace quillmeter
