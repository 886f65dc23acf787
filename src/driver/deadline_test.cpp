#include "driver/deadline.h"

#include <gtest/gtest.h>

#include <future>
#include <sstream>

namespace quillmeter {
namespace {

using std::chrono::milliseconds;

// A deadline `after` from now that records its late answer and its end.
struct Watched {
  explicit Watched(milliseconds after)
      : deadline(
            Deadline::Clock::now() + after,
            [this](const std::string& what, const std::string& step) {
              answer << what << " (" << step << ")";
            },
            [this](int code) { ended.set_value(code); }) {}

  std::ostringstream answer;
  std::promise<int> ended;
  Deadline deadline;
};

TEST(DeadlineTest, ARunStillWaitingIsAnsweredForWithTheStepItWaitsOn) {
  Watched w(milliseconds(50));
  w.deadline.Track("PRD", "RfcOpen");
  w.deadline.Step("profile rewrite");
  std::future<int> ended = w.ended.get_future();
  ASSERT_EQ(ended.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_EQ(ended.get(), 2);
  EXPECT_EQ(w.answer.str(), "PRD (profile rewrite)");
  EXPECT_FALSE(w.deadline.Claim(0)) << "the answer is given: the run prints nothing more";
}

TEST(DeadlineTest, AnAnswerClaimedInTimeIsNotAnsweredAgain) {
  Watched w(milliseconds(50));
  ASSERT_TRUE(w.deadline.Claim(1));
  EXPECT_FALSE(w.deadline.Claim(0));
  // A run slow to end after its answer is still ended, with its own code.
  std::future<int> ended = w.ended.get_future();
  ASSERT_EQ(ended.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_EQ(ended.get(), 1);
  EXPECT_EQ(w.answer.str(), "");
}

TEST(DeadlineTest, AMovedDeadlineAnswersAtItsNewTime) {
  Watched later(milliseconds(50));
  later.deadline.Track("PRD", "RfcOpen");
  later.deadline.MoveTo(Deadline::Clock::now() + std::chrono::hours(1));
  std::future<int> not_ended = later.ended.get_future();
  EXPECT_EQ(not_ended.wait_for(milliseconds(300)), std::future_status::timeout);
  ASSERT_TRUE(later.deadline.Claim(0));

  Watched sooner(std::chrono::hours(1));
  sooner.deadline.Track("PRD", "ADA_ST04");
  const auto moved = Deadline::Clock::now();
  sooner.deadline.MoveTo(moved + milliseconds(50));
  EXPECT_EQ(sooner.deadline.at(), moved + milliseconds(50));
  std::future<int> ended = sooner.ended.get_future();
  ASSERT_EQ(ended.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_EQ(sooner.answer.str(), "PRD (ADA_ST04)");
}

TEST(DeadlineTest, ARunThatEndsInTimeStopsTheWatch) {
  bool ended = false;
  {
    Deadline deadline(
        Deadline::Clock::now() + std::chrono::hours(1),
        [](const std::string&, const std::string&) {}, [&ended](int) { ended = true; });
    ASSERT_TRUE(deadline.Claim(0));
  }
  EXPECT_FALSE(ended);
}

}  // namespace
}  // namespace quillmeter
