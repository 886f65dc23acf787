// Runs the Windows sensor as PRTG does: a separate process with its own
// working directory, its standard output captured byte for byte.
#ifndef QUILLMETER_TESTS_WINDOWS_SENSOR_PROCESS_H_
#define QUILLMETER_TESTS_WINDOWS_SENSOR_PROCESS_H_

#include <string>
#include <vector>

namespace quillmeter {

struct SensorOutput {
  int exit_code = -1;
  std::string out;    // standard output, exactly as written
  std::string error;  // set when the process could not be run
};

// Starts `exe` with `args` in `working_dir` and waits for it (at most
// `timeout_ms`). The arguments reach the process exactly as given.
SensorOutput RunProcess(const std::string& exe, const std::vector<std::string>& args,
                        const std::string& working_dir, unsigned timeout_ms = 60000);

// Starts `count` copies of `exe` at once, then collects each one's output
// and exit code.
std::vector<SensorOutput> RunProcesses(const std::string& exe, const std::vector<std::string>& args,
                                       const std::string& working_dir, size_t count,
                                       unsigned timeout_ms = 60000);

// Quotes one argument so that the C runtime's parser gives it back whole.
std::string QuoteArgument(const std::string& arg);

// The directory of this test program, ending with a backslash.
std::string ProgramDir();

}  // namespace quillmeter

#endif  // QUILLMETER_TESTS_WINDOWS_SENSOR_PROCESS_H_
