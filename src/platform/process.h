// Processes of the sensor's own: the workers of a multi-system run, and the
// lock that keeps two of them from writing SapRfc.ini at once.
#ifndef QUILLMETER_PLATFORM_PROCESS_H_
#define QUILLMETER_PLATFORM_PROCESS_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

namespace quillmeter {

// A worker process started by this one. Its standard input and output are
// pipes to its starter; it never outlives its starter, however that ends.
// Kill may be called from another thread while one waits or reads.
class ChildProcess {
 public:
  // Kills the worker if it still runs, and reaps it.
  virtual ~ChildProcess() = default;

  // Writes `data` to the worker's standard input, which stays open for
  // more. Fails when the worker is gone.
  virtual Status Send(std::string_view data) = 0;

  // Closes the worker's standard input: it reads its end.
  virtual void CloseInput() = 0;

  // Appends to *output what the worker writes next, blocking until it
  // writes something; false, with nothing appended, once its standard
  // output is closed.
  virtual bool Receive(std::string* output) = 0;

  // Waits for the worker's end; its exit code, or -1 when it was killed or
  // died of a signal.
  virtual int Wait() = 0;

  // Ends the worker at once.
  virtual void Kill() = 0;
};

// An exclusive lock on a file, held until it is destroyed or the process
// ends.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

// Who takes a lock, for those that must wait for it.
struct LockHolder {
  // Written into the file while the lock is held, and emptied when it is
  // released, so that a waiter can name the holder.
  std::string name;
  // Called once before waiting when another process holds the lock, with
  // the name that one wrote ("" when none can be read).
  std::function<void(const std::string& holder)> waiting;
};

// The implementations the platforms share out to; see Platform.
Status StartWorkerProcess(const std::string& executable, const std::vector<std::string>& arguments,
                          std::unique_ptr<ChildProcess>* child);
Status LockWholeFile(const std::string& path, const LockHolder& holder,
                     std::unique_ptr<FileLock>* lock);
[[noreturn]] void EndProcessNow(int code);

}  // namespace quillmeter

#endif  // QUILLMETER_PLATFORM_PROCESS_H_
