#include "rfc/logon.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>

#include "base/text.h"
#include "rfc/logon_refusal.h"

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

// The error for the first profile value the connect string cannot carry,
// or Ok when all can. A user or password from PRTG's credentials is named
// by its variable in the cause: the message's "in Profile" alone would send
// the administrator to a file that does not hold it.
Status ConnectStringRefusal(const OpenRequest& request) {
  const ConnectionProfile& p = request.profile;
  const char* field = nullptr;
  std::string variable;
  if (BreaksConnectString(p.destination, false)) {
    field = "Destination";
  } else if (BreaksConnectString(p.client, false)) {
    field = "Client";
  } else if (BreaksConnectString(p.user, false)) {
    field = "User";
    variable = p.user_variable;
  } else if (BreaksConnectString(p.password, true)) {
    field = "Password";
    variable = p.password_variable;
  }
  if (field == nullptr) return Status::Ok();
  return Status::Error(std::string("Error 1042: ") + field + " in Profile " + request.profile_name +
                           " holds a character not allowed in the RFC connect string !",
                       variable.empty() ? std::string() : "it comes from PRTG's " + variable);
}

// Fills the options record and the host or gateway record it points to.
void FillOptions(const OpenRequest& request, OpenRecords& r) {
  const ConnectionProfile& p = request.profile;
  r.destination = p.destination;
  r.client = p.client;
  r.user = PadRight(p.user, kUserWidth);
  r.password = PadRight(p.password, kPasswordWidth);
  r.language = p.language;
  r.host_name = p.host_name;
  r.gateway_host = p.gateway_host;
  r.gateway_service = p.gateway_service;
  std::string system_number = p.system_number;
  if (request.overrides.host) r.host_name = *request.overrides.host;
  if (request.overrides.system_number) system_number = *request.overrides.system_number;

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

// Why the library refused to open: its last-error message, or the key when
// the message is empty. A refused logon is marked as such, so that it is
// not sent again.
Status OpenFailure(RfcSession& session, const std::string& failed) {
  RFC_ERROR_INFO info;
  std::memset(&info, 0, sizeof info);
  session.rfc.RfcLastError(&info);
  std::string key(info.key, strnlen(info.key, sizeof info.key));
  std::string message(info.message, strnlen(info.message, sizeof info.message));
  if (message.find_first_not_of(' ') == std::string::npos) message = key;
  if (IsLogonRefusal(key, message)) return Status::Refused(failed, message);
  return Status::Error(failed, message);
}

// The scan a lock file names: its holder's destination, or "another scan"
// when it names none that could be one.
std::string HolderOf(const std::string& name) {
  constexpr size_t kMaxDestination = 11;
  bool plain = !name.empty() && name.size() <= kMaxDestination;
  for (char c : name) plain = plain && c > ' ' && c < 0x7F;
  return plain ? "the scan of " + name : "another scan";
}

}  // namespace

Status OpenConnection(RfcSession& session, Platform& platform, const OpenRequest& request,
                      std::string* console_note) {
  session.handle = 0;
  console_note->clear();
  OpenRecords& r = session.rfc.open;
  const ConnectionProfile& p = request.profile;
  FillOptions(request, r);
  const std::string failed = "Error 1011: RFC-Open for " + p.destination + " failed !";
  auto opened = [&]() { return session.handle != 0 ? Status::Ok() : OpenFailure(session, failed); };

  // The destination names a file beside the sensor: a path in it could
  // reach any file on the machine.
  if (p.destination.find_first_of("/\\:") != std::string::npos)
    return Status::Error("Error 1043: Destination in Profile " + request.profile_name +
                         " is no plain name !");
  std::string ini;
  if (!platform.ReadFile(kConnectFilePrefix + p.destination, &ini).ok()) {
    session.handle = session.rfc.RfcOpen(&r.options);
    session.log.Event(static_cast<int>(session.handle), "RfcOpen called");
    return opened();
  }

  *console_note = "* SapRfc.Ini.......: " + p.destination + "<";
  if (Status refused = ConnectStringRefusal(request); !refused.ok()) return refused;
  // Sensors started together share the one SapRfc.ini: each holds it from
  // its copy until the library has read it in the open, so that no logon
  // reads another destination's settings. It is replaced whole, never
  // written in place, for the library of a sensor that holds no lock. A
  // lock that cannot be had (a read-only folder) leaves the copy to say why.
  // A scan that waits names the one it waits for: a hung open of another
  // system would otherwise look like this system's.
  LockHolder holder;
  holder.name = p.destination;
  bool waited = false;
  if (request.waiting) {
    holder.waiting = [&](const std::string& name) {
      waited = true;
      request.waiting(std::string("waiting for ") + kRfcIniLock + ", held by " + HolderOf(name));
    };
  }
  std::unique_ptr<FileLock> held;
  (void)platform.LockFile(kRfcIniLock, holder, &held);
  if (waited) request.waiting("");
  if (Status copied = platform.AtomicReplace(kRfcIniFile, ini); !copied.ok())
    return Status::Error(failed, "SapRfc.ini cannot be written: " + copied.cause());

  r.connect_string = "CLIENT=" + p.client + " USER=" + UpperCase(p.user) + " PASSWD=" + p.password +
                     " LANG=D DEST=" + p.destination;
  session.handle = session.rfc.RfcOpenEx(r.connect_string.data(), &r.error);
  session.log.Event(static_cast<int>(session.handle), "RfcOpenEx called");
  return opened();
}

void CloseConnection(RfcSession& session) {
  if (session.handle != 0) session.rfc.RfcClose(session.handle);
  session.handle = 0;
}

}  // namespace quillmeter
