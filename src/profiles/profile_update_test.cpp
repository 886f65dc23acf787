#include "profiles/profile_update.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/fake_platform.h"

namespace quillmeter {
namespace {

const std::string kProfile = "Destination:            PRD\nClient.....:            100\n";
const std::string kHistory = "# Alg Date=20261207 09:00:00 Writes=1 WaitBusy=2\n";
const std::string kOther = "# Alm Tessarin.Prf/WaitBusy Date=20261207 09:00:00 Writes=1\n";
const LogonGuard kGuard{"20261208 10:15:00", "00ff00ff00ff00ff", "User is locked"};
const std::string kGuardLine =
    "# Alb Date=20261208 10:15:00 Logon=00ff00ff00ff00ff User is locked\n";

ProfileUpdate Guard(ProfileUpdate::Guard change) {
  ProfileUpdate update;
  update.guard_change = change;
  update.guard = kGuard;
  return update;
}

TEST(ProfileUpdateTest, TheGuardLineIsSetReplacedOrLiftedAndNothingElseMoves) {
  const ProfileUpdate set = Guard(ProfileUpdate::Guard::kSet);
  const ProfileUpdate lift = Guard(ProfileUpdate::Guard::kLift);
  const std::string older = "# Alb Date=20261201 08:00:00 Logon=1234 Old reason\n";
  struct Case {
    const char* name;
    std::string before;
    const ProfileUpdate& update;
    std::string after;
  } cases[] = {
      {"added at the end", kProfile + kHistory, set, kProfile + kHistory + kGuardLine},
      {"replaced where it stands", kProfile + older + kHistory, set,
       kProfile + kGuardLine + kHistory},
      {"one left of several", older + kProfile + older, set, kGuardLine + kProfile},
      {"lifted", kProfile + older + kHistory + "# Alb damaged\n", lift, kProfile + kHistory},
      {"nothing to lift", kProfile + kHistory, lift, kProfile + kHistory},
      {"Windows line ends stay", "A\r\nB\r\n", set,
       "A\r\nB\r\n# Alb Date=20261208 10:15:00 Logon=00ff00ff00ff00ff User is locked\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(ApplyProfileUpdate(c.before, c.update), c.after) << c.name;
}

TEST(ProfileUpdateTest, HistoryAndGuardChangeInOneText) {
  ProfileUpdate update = Guard(ProfileUpdate::Guard::kLift);
  update.history = HistoryUpdate{{}, "# Alg Date=20261208 10:15:00 Writes=5", ""};
  EXPECT_EQ(ApplyProfileUpdate(kProfile + kGuardLine + kOther + kHistory, update),
            kProfile + kOther + "# Alg Date=20261208 10:15:00 Writes=5\n");
}

class CommitProfileUpdateTest : public ::testing::Test {
 protected:
  FakePlatform platform;
  const std::string path = "/prtg/PRD.P00";
};

TEST_F(CommitProfileUpdateTest, BuildsOnTheProfileAsItStandsNowAndWritesOnlyAChange) {
  platform.files[path] = kProfile;
  // Another sensor rewrote the profile after this scan read it.
  platform.files[path] = kProfile + kOther;
  ASSERT_TRUE(CommitProfileUpdate(platform, path, Guard(ProfileUpdate::Guard::kSet)).ok());
  EXPECT_EQ(platform.files[path], kProfile + kOther + kGuardLine);
  EXPECT_EQ(platform.replaces.size(), 1u);

  ASSERT_TRUE(CommitProfileUpdate(platform, path, Guard(ProfileUpdate::Guard::kSet)).ok());
  ASSERT_TRUE(CommitProfileUpdate(platform, path, ProfileUpdate{}).ok());
  EXPECT_EQ(platform.replaces.size(), 1u) << "an unchanged profile is not written";
}

TEST_F(CommitProfileUpdateTest, AProfileThatCannotBeReadOrReplacedStaysAsItWas) {
  const ProfileUpdate update = Guard(ProfileUpdate::Guard::kSet);
  Status gone = CommitProfileUpdate(platform, path, update);
  EXPECT_FALSE(gone.ok());
  EXPECT_TRUE(platform.replaces.empty()) << "an older copy must not replace the file";

  platform.files[path] = kProfile;
  platform.fail_next_replace = true;
  Status refused = CommitProfileUpdate(platform, path, update);
  EXPECT_FALSE(refused.ok());
  EXPECT_EQ(refused.cause(), "Read-only file system");
  EXPECT_EQ(platform.files[path], kProfile);
}

TEST_F(CommitProfileUpdateTest, TheReplaceProbeLeavesNothingBehindAndSaysWhyItFails) {
  platform.files[path] = kProfile;
  ASSERT_TRUE(ProbeProfileReplace(platform, path).ok());
  ASSERT_EQ(platform.replaces.size(), 1u);
  EXPECT_NE(platform.replaces[0], path) << "the profile itself is never the probe";
  EXPECT_EQ(platform.replaces[0].substr(0, path.size()), path) << "beside the profile";
  EXPECT_EQ(platform.files, (std::map<std::string, std::string>{{path, kProfile}}));

  platform.fail_next_replace = true;
  Status refused = ProbeProfileReplace(platform, path);
  EXPECT_FALSE(refused.ok());
  EXPECT_EQ(refused.cause(), "Read-only file system");
  EXPECT_EQ(platform.files, (std::map<std::string, std::string>{{path, kProfile}}));
}

}  // namespace
}  // namespace quillmeter
