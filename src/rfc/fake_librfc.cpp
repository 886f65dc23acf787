#include "rfc/fake_librfc.h"

#include <cstring>
#include <map>

namespace quillmeter {
namespace {

std::optional<std::string> Seen(const char* text) {
  if (text == nullptr) return std::nullopt;
  return std::string(text);
}

void QM_RFC_CALL FakeEnvironment(RFC_ENV* environment) {
  TheFakeLibrfc().calls.push_back("RfcEnvironment");
  TheFakeLibrfc().environment = *environment;
}

RFC_HANDLE QM_RFC_CALL FakeOpen(RFC_OPTIONS* options) {
  FakeLibrfc& f = TheFakeLibrfc();
  f.calls.push_back("RfcOpen");
  SeenOpen& s = f.open;
  s.destination = Seen(options->destination);
  s.client = Seen(options->client);
  s.user = Seen(options->user);
  s.password = Seen(options->password);
  s.language = Seen(options->language);
  s.mode = options->mode;
  s.trace = options->trace;
  s.connopt = options->connopt != nullptr;
  if (options->connopt != nullptr && options->mode == 1) {
    auto* r2 = static_cast<RFC_CONNOPT_R2*>(options->connopt);
    s.gateway_host = Seen(r2->gateway_host);
    s.gateway_service = Seen(r2->gateway_service);
  } else if (options->connopt != nullptr) {
    auto* r3 = static_cast<RFC_CONNOPT_R3*>(options->connopt);
    s.hostname = Seen(r3->hostname);
    s.sysnr = r3->sysnr;
    s.gateway_host = Seen(r3->gateway_host);
    s.gateway_service = Seen(r3->gateway_service);
  }
  return f.open_result;
}

RFC_HANDLE QM_RFC_CALL FakeOpenEx(char* connect_string, RFC_ERROR_INFO_EX*) {
  FakeLibrfc& f = TheFakeLibrfc();
  f.calls.push_back("RfcOpenEx");
  f.connect_string = connect_string;
  return f.open_result;
}

RFC_RC QM_RFC_CALL FakeInstallStructure(char*, RFC_TYPE_ELEMENT*, unsigned, RFC_TYPEHANDLE*) {
  TheFakeLibrfc().calls.push_back("RfcInstallStructure");
  return kRfcOk;
}

RFC_RC QM_RFC_CALL FakeCall(RFC_HANDLE, char*, RFC_PARAMETER*, RFC_TABLE*) {
  TheFakeLibrfc().calls.push_back("RfcCall");
  return kRfcOk;
}

RFC_RC QM_RFC_CALL FakeReceive(RFC_HANDLE, RFC_PARAMETER*, RFC_TABLE*, char**) {
  TheFakeLibrfc().calls.push_back("RfcReceive");
  return kRfcOk;
}

int QM_RFC_CALL FakeLastError(RFC_ERROR_INFO* error) {
  TheFakeLibrfc().calls.push_back("RfcLastError");
  *error = TheFakeLibrfc().last_error;
  return 0;
}

void QM_RFC_CALL FakeClose(RFC_HANDLE handle) {
  TheFakeLibrfc().calls.push_back("RfcClose " + std::to_string(handle));
  if (TheFakeLibrfc().on_close) TheFakeLibrfc().on_close();
}

ITAB_H QM_RFC_CALL FakeItCreate(char*, unsigned, unsigned, unsigned) { return nullptr; }
unsigned QM_RFC_CALL FakeItFill(ITAB_H) { return 0; }
void* QM_RFC_CALL FakeItGetLine(ITAB_H, unsigned) { return nullptr; }
int QM_RFC_CALL FakeItDelete(ITAB_H) { return 0; }

template <typename Function>
void* Address(Function function) {
  void* address;
  static_assert(sizeof address == sizeof function);
  std::memcpy(&address, &function, sizeof address);
  return address;
}

}  // namespace

FakeLibrfc& TheFakeLibrfc() {
  static FakeLibrfc fake;
  return fake;
}

void ResetFakeLibrfc() { TheFakeLibrfc() = FakeLibrfc(); }

void ServeFakeLibrfc(FakePlatform& platform, const std::string& path, const std::string& omit) {
  std::map<std::string, void*> symbols = {
      {"RfcEnvironment", Address(&FakeEnvironment)},
      {"RfcOpen", Address(&FakeOpen)},
      {"RfcOpenEx", Address(&FakeOpenEx)},
      {"RfcInstallStructure", Address(&FakeInstallStructure)},
      {"RfcCall", Address(&FakeCall)},
      {"RfcReceive", Address(&FakeReceive)},
      {"RfcLastError", Address(&FakeLastError)},
      {"RfcClose", Address(&FakeClose)},
      {"ItCreate", Address(&FakeItCreate)},
      {"ItFill", Address(&FakeItFill)},
      {"ItGetLine", Address(&FakeItGetLine)},
      {"ItDelete", Address(&FakeItDelete)},
  };
  symbols.erase(omit);
  platform.libraries[path] = symbols;
}

}  // namespace quillmeter
