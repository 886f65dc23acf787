// A librfc32 made of test functions, served to the loader through
// FakePlatform::libraries. It records what each record carried.
#ifndef QUILLMETER_RFC_FAKE_LIBRFC_H_
#define QUILLMETER_RFC_FAKE_LIBRFC_H_

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/fake_platform.h"
#include "rfc/librfc.h"

namespace quillmeter {

// What RfcOpen received; a null text is std::nullopt.
struct SeenOpen {
  std::optional<std::string> destination, client, user, password, language;
  int mode = -1;
  int trace = -1;
  bool connopt = false;
  std::optional<std::string> hostname, gateway_host, gateway_service;
  int sysnr = -1;
};

struct FakeLibrfc {
  // Set up by the test.
  RFC_HANDLE open_result = 7;
  RFC_ERROR_INFO last_error{};
  std::function<void()> on_close;  // runs inside RfcClose

  // Seen by the library, in order: "RfcOpen", "RfcClose 0", ...
  std::vector<std::string> calls;
  RFC_ENV environment{};
  SeenOpen open;
  std::string connect_string;
};

// The one fake library of the test process, reset for each test.
FakeLibrfc& TheFakeLibrfc();
void ResetFakeLibrfc();

// Serves the fake library at `path`, without the operation `omit` if given.
void ServeFakeLibrfc(FakePlatform& platform, const std::string& path,
                     const std::string& omit = std::string());

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_FAKE_LIBRFC_H_
