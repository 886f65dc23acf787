// The outcome of an operation, in the style of LevelDB's Status: ok, or an
// error that carries two texts apart. The message says what failed (for the
// sensor's own failures the numbered message an administrator reads); the
// cause says why, in the words of whoever knows (the operating system, the
// RFC library), and is empty when nobody does.
#ifndef QUILLMETER_BASE_STATUS_H_
#define QUILLMETER_BASE_STATUS_H_

#include <string>
#include <utility>

namespace quillmeter {

class [[nodiscard]] Status {
 public:
  // Ok.
  Status() = default;

  static Status Ok() { return Status(); }
  static Status Error(std::string message, std::string cause = std::string()) {
    Status status;
    status.error_ = true;
    status.message_ = std::move(message);
    status.cause_ = std::move(cause);
    return status;
  }

  // An error where the other side refused the request as it was made:
  // making it again unchanged cannot succeed and may do harm (SAP counts
  // every refused logon against the user, up to locking it).
  static Status Refused(std::string message, std::string cause = std::string()) {
    Status status = Error(std::move(message), std::move(cause));
    status.refused_ = true;
    return status;
  }

  bool ok() const { return !error_; }
  bool IsRefused() const { return refused_; }
  const std::string& message() const { return message_; }
  const std::string& cause() const { return cause_; }

  // "message: cause", or the message alone without a cause; for errors of
  // the platform, whose message names the operation and the file.
  std::string Text() const { return cause_.empty() ? message_ : message_ + ": " + cause_; }

 private:
  bool error_ = false;
  bool refused_ = false;
  std::string message_;
  std::string cause_;
};

}  // namespace quillmeter

#endif  // QUILLMETER_BASE_STATUS_H_
