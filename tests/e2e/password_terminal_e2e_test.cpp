// quillmeter-password on a real terminal (a pseudo-terminal): it prompts on
// standard error, shows nothing of what is typed, and asks twice.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "profiles/password.h"
#include "sensor_fixture.h"

namespace quillmeter {
namespace {

// The tool running on the slave side of a pseudo-terminal; the test is the
// administrator at its keyboard.
class TerminalSession {
 public:
  TerminalSession(const std::string& workdir, const std::string& profile) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    std::string slave = ptsname(master_);
    pid_ = fork();
    if (pid_ == 0) {
      setsid();
      int tty = open(slave.c_str(), O_RDWR);
      if (tty < 0 || chdir(workdir.c_str()) != 0) _exit(126);
      dup2(tty, STDIN_FILENO);
      dup2(tty, STDOUT_FILENO);
      dup2(tty, STDERR_FILENO);
      execl(PASSWORD_TOOL_EXE, PASSWORD_TOOL_EXE, profile.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~TerminalSession() {
    if (pid_ > 0) Wait();
    if (master_ >= 0) close(master_);
  }

  bool started() const { return master_ >= 0 && pid_ > 0; }

  // Everything the terminal showed until `text` appeared (or 10 s passed).
  std::string ReadUntil(const std::string& text) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (shown_.find(text, consumed_) == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
      pollfd fd{master_, POLLIN, 0};
      if (poll(&fd, 1, 100) <= 0) continue;
      char buffer[256];
      ssize_t n = read(master_, buffer, sizeof buffer);
      if (n <= 0) break;
      shown_.append(buffer, static_cast<size_t>(n));
    }
    size_t end = shown_.find(text, consumed_);
    end = end == std::string::npos ? shown_.size() : end + text.size();
    std::string part = shown_.substr(consumed_, end - consumed_);
    consumed_ = end;
    return part;
  }

  void Drain() {
    pollfd fd{master_, POLLIN, 0};
    char buffer[256];
    while (poll(&fd, 1, 20) > 0) {
      ssize_t n = read(master_, buffer, sizeof buffer);
      if (n <= 0) break;
      shown_.append(buffer, static_cast<size_t>(n));
    }
  }

  void Type(const std::string& keys) {
    if (write(master_, keys.data(), keys.size()) < 0) ADD_FAILURE() << "cannot type";
  }

  // The tool's exit code, -1 when it had to be killed after 10 s; what it
  // still showed lands in the session.
  int Wait() {
    int status = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        break;
      }
      Drain();
    }
    Drain();
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  const std::string& shown() const { return shown_; }

 private:
  int master_ = -1;
  pid_t pid_ = -1;
  std::string shown_;
  size_t consumed_ = 0;
};

class PasswordTerminalE2eTest : public SensorTest {};

TEST_F(PasswordTerminalE2eTest, ThePasswordIsAskedTwiceWithoutEcho) {
  WriteProfile("PRD");
  TerminalSession session(box.dir(), "PRD.P00");
  ASSERT_TRUE(session.started());
  EXPECT_NE(session.ReadUntil("Password: ").find("Password: "), std::string::npos);
  session.Type("Newpass77\n");
  EXPECT_NE(session.ReadUntil("Password again: ").find("Password again: "), std::string::npos);
  session.Type("Newpass77\n");
  EXPECT_EQ(session.Wait(), 0) << session.shown();
  EXPECT_EQ(session.shown().find("Newpass77"), std::string::npos) << session.shown();
  std::string profile = box.ReadFile("PRD.P00");
  size_t line = profile.find("Password...:");
  ASSERT_NE(line, std::string::npos);
  EXPECT_EQ(UnscramblePassword(profile.substr(line + 25, 24)).password, "Newpass77");
}

TEST_F(PasswordTerminalE2eTest, TwoDifferentAnswersWriteNothing) {
  WriteProfile("PRD");
  const std::string before = box.ReadFile("PRD.P00");
  TerminalSession session(box.dir(), "PRD.P00");
  ASSERT_TRUE(session.started());
  session.ReadUntil("Password: ");
  session.Type("Newpass77\n");
  session.ReadUntil("Password again: ");
  session.Type("Newpass78\n");
  EXPECT_EQ(session.Wait(), 1);
  EXPECT_NE(session.shown().find("the two passwords differ; nothing was written"),
            std::string::npos)
      << session.shown();
  EXPECT_EQ(box.ReadFile("PRD.P00"), before);
}

}  // namespace
}  // namespace quillmeter
