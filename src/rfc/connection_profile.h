// The connection fields of one system profile: what a logon needs.
#ifndef QUILLMETER_RFC_CONNECTION_PROFILE_H_
#define QUILLMETER_RFC_CONNECTION_PROFILE_H_

#include <string>

#include "rfc/library_choice.h"

namespace quillmeter {

struct ConnectionProfile {
  std::string external_company;
  std::string destination;
  std::string client;
  std::string user;      // upper case
  std::string password;  // plain, after unscrambling
  // As the profile stores it: what tells one logon's data from another's
  // without the plain password.
  std::string stored_password;
  // The environment variables PRTG handed the user and password in; both
  // "" when the profile holds them.
  std::string user_variable;
  std::string password_variable;
  std::string language;
  std::string mode;
  std::string host_name;
  std::string system_number;
  std::string gateway_host;
  std::string gateway_service;
  // Shown in console lines; the system's own host name once it reported it.
  std::string display_host;
  // Which RFC library the system is scanned through.
  RfcLibraryChoice library = RfcLibraryChoice::kAutomatic;
};

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_CONNECTION_PROFILE_H_
