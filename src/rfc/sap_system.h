// The seam between the sensor and the remote SAP system: what a scan needs
// of one system, named for that, whatever library carries the calls. The
// classic librfc32 is one implementation (classic_sap_system.h); a fake for
// tests is another (fake_sap_system.h).
#ifndef QUILLMETER_RFC_SAP_SYSTEM_H_
#define QUILLMETER_RFC_SAP_SYSTEM_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/status.h"
#include "rfc/call_log.h"
#include "rfc/connection_profile.h"

namespace quillmeter {

// The application server and system number to use instead of the profile's.
struct ConnectionOverrides {
  std::optional<std::string> host;
  std::optional<std::string> system_number;
};

struct OpenRequest {
  ConnectionProfile profile;
  std::string profile_name;  // names the profile in messages
  ConnectionOverrides overrides;
  // Told what the open waits on before the logon itself (another scan's
  // turn, say), and "" when that wait is over; none when nobody asks.
  std::function<void(const std::string& wait)> waiting;
  // The profile's folder, ending with a separator, or "" for the current
  // one: where the NetWeaver library reads its sapnwrfc.ini.
  std::string profile_folder;
};

// What RFC_SYSTEM_INFO reports, as received (blank-padded).
struct SystemInfo {
  std::string database_system;  // RFCDBSYS, 10 characters
  std::string host;             // RFCHOST, 8 characters
};

// One session with one system. Every failure is a status carrying the
// numbered message the sensor reports. A library that cannot go on ends the
// process through its own failure handler instead.
class SapSystem {
 public:
  virtual ~SapSystem() = default;

  // Logs on with `request`. Fails with "Error 1011: RFC-Open for <DEST>
  // failed !", or before any logon when a profile value cannot be sent.
  // A logon SAP refused (logon_refusal.h) fails IsRefused().
  // *console_note receives a line for the console trace when the library
  // has one to tell (which configuration the logon used), else "".
  virtual Status Open(const OpenRequest& request, std::string* console_note) = 0;

  // GET_CPU_ALL's last-collection text ("Wed Jun  1 09:05:07 2011"), the
  // time stamp of the sample. Fails with the query's message and hint.
  virtual Status ReadCollectionTime(std::string* text) = 0;

  // RFC_SYSTEM_INFO. Fails with the query's message and hint.
  virtual Status ReadSystemInfo(SystemInfo* info) = 0;

  // ADA_ST04: the last line of the TST04ADA table (860 characters), or ""
  // for an empty table. Fails with the query's message and hint.
  virtual Status ReadMonitorLine(std::string* line) = 0;

  // Closes the connection if one is open.
  virtual void Close() = 0;
};

// Which library was loaded, for an administrator checking a setup.
struct LibraryIdentity {
  std::string kind;     // "classic" or "NetWeaver"
  std::string path;     // the file loaded, as the system names it
  std::string version;  // as the library reports it, "" when it reports none
};

// A loaded library that sessions are made from.
class SapLibrary {
 public:
  virtual ~SapLibrary() = default;

  virtual LibraryIdentity Identity() const = 0;

  // A session for the next system, whose library calls go to `log`. The
  // session must end before the library does.
  virtual std::unique_ptr<SapSystem> NewSystem(const CallLog& log) = 0;

  // After a successful scan: removes the library's trace file, so that the
  // next failure's hint is its own.
  virtual void DiscardTrace() = 0;
};

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_SAP_SYSTEM_H_
