#include "rfc/connection.h"

#include <algorithm>
#include <climits>
#include <string_view>

#include "base/text.h"
#include "rfc/call_log.h"
#include "rfc/rfc_library.h"

namespace quillmeter {
namespace {

constexpr size_t kUserWidth = 12;
constexpr size_t kPasswordWidth = 10;

std::string PadRight(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

char* TextOrNull(std::string& text) { return text.empty() ? nullptr : text.data(); }

// The decimal value of a system number text, as a C library would read it:
// leading blanks, a sign, then digits up to the first other character.
int DecimalValue(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT_MAX) value = INT_MAX;  // absurd numbers end at the top
  }
  return static_cast<int>(negative ? -value : value);
}

// True when `value` would end early in a connect string, or let a profile
// value pass a key of its own ("USER=A DEST=B"). Passwords may hold "=".
bool BreaksConnectString(std::string_view value, bool allow_equals) {
  for (char c : value) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte <= ' ' || byte == 0x7F || (c == '=' && !allow_equals)) return true;
  }
  return false;
}

// The error message for the first profile value the connect string cannot
// carry, or empty when all can.
std::string ConnectStringRefusal(const RunState& run) {
  const ConnectionProfile& p = run.profile;
  const char* field = nullptr;
  if (BreaksConnectString(p.destination, false))
    field = "Destination";
  else if (BreaksConnectString(p.client, false))
    field = "Client";
  else if (BreaksConnectString(p.user, false))
    field = "User";
  else if (BreaksConnectString(p.password, true))
    field = "Password";
  if (field == nullptr) return std::string();
  return std::string("Error 1042: ") + field + " in Profile " + run.profile_name +
         " holds a character not allowed in the RFC connect string !";
}

// Fills the options record and the host or gateway record it points to.
void FillOptions(RunState& run, OpenRecords& r) {
  const ConnectionProfile& p = run.profile;
  r.destination = p.destination;
  r.client = p.client;
  r.user = PadRight(p.user, kUserWidth);
  r.password = PadRight(p.password, kPasswordWidth);
  r.language = p.language;
  r.host_name = p.host_name;
  r.gateway_host = p.gateway_host;
  r.gateway_service = p.gateway_service;
  std::string system_number = p.system_number;
  if (run.options.host) r.host_name = *run.options.host;
  if (run.options.system_number) system_number = *run.options.system_number;

  r.options.destination = r.destination.data();
  r.options.client = r.client.data();
  r.options.user = r.user.data();
  r.options.password = r.password.data();
  r.options.language = r.language.data();
  r.options.trace = 0;
  if (p.mode == "R/2") {
    r.options.mode = 1;
    r.gateway.gateway_host = TextOrNull(r.gateway_host);
    r.gateway.gateway_service = TextOrNull(r.gateway_service);
    r.options.connopt = &r.gateway;
  } else {
    r.options.mode = 0;
    r.host.hostname = TextOrNull(r.host_name);
    // An empty number keeps the one of the previous open.
    if (!system_number.empty()) r.host.sysnr = DecimalValue(system_number);
    r.host.gateway_host = TextOrNull(r.gateway_host);
    r.host.gateway_service = TextOrNull(r.gateway_service);
    r.options.connopt = &r.host;
  }
}

}  // namespace

RFC_HANDLE OpenConnection(RunState& run, std::string* refusal) {
  run.connection = 0;
  if (run.rfc == nullptr) return 0;
  OpenRecords& r = run.rfc->open;
  const ConnectionProfile& p = run.profile;
  FillOptions(run, r);

  // The destination names a file beside the sensor: a path in it could
  // reach any file on the machine.
  if (p.destination.find_first_of("/\\:") != std::string::npos) {
    if (refusal != nullptr)
      *refusal = "Error 1043: Destination in Profile " + run.profile_name + " is no plain name !";
    return 0;
  }
  std::string ini;
  if (!run.platform.ReadFile("SapRfc." + p.destination, &ini).ok()) {
    run.connection = run.rfc->RfcOpen(&r.options);
    LogRfcEvent(run, "RfcOpen called");
    return run.connection;
  }

  // Only with the console trace: in the PRTG mode nothing may stand before
  // the document.
  if (run.options.console_trace) run.out << "* SapRfc.Ini.......: " << p.destination << "<\n";
  std::string refused = ConnectStringRefusal(run);
  if (!refused.empty()) {
    if (refusal != nullptr) *refusal = refused;
    return 0;
  }
  // Sensors started together read SapRfc.ini while another writes it: it is
  // replaced whole, never written in place.
  if (!run.platform.AtomicReplace(kRfcIniFile, ini).ok()) return 0;

  r.connect_string = "CLIENT=" + p.client + " USER=" + UpperCase(p.user) + " PASSWD=" + p.password +
                     " LANG=D DEST=" + p.destination;
  run.connection = run.rfc->RfcOpenEx(r.connect_string.data(), &r.error);
  LogRfcEvent(run, "RfcOpenEx called");
  return run.connection;
}

void CloseConnection(RunState& run) {
  if (run.connection != 0 && run.rfc != nullptr) run.rfc->RfcClose(run.connection);
  run.connection = 0;
}

}  // namespace quillmeter
