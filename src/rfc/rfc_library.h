// The vendor's classic RFC library, loaded at run time: its operations, and
// the records that live as long as it does (the structure types installed
// once per process, the records of the last open).
#ifndef QUILLMETER_RFC_RFC_LIBRARY_H_
#define QUILLMETER_RFC_RFC_LIBRARY_H_

#include <memory>
#include <string>

#include "base/status.h"
#include "platform/platform.h"
#include "rfc/librfc.h"

namespace quillmeter {

// A structure type registered with RfcInstallStructure.
struct InstalledType {
  bool installed = false;
  RFC_TYPEHANDLE handle = 0;
};

// The records of the last open. The library may keep pointers into them, so
// they live as long as the library is loaded.
struct OpenRecords {
  std::string destination;
  std::string client;
  std::string user;      // padded to 12
  std::string password;  // padded to 10
  std::string language;
  std::string host_name;
  std::string gateway_host;
  std::string gateway_service;
  std::string connect_string;
  RFC_OPTIONS options{};
  RFC_CONNOPT_R3 host{};
  RFC_CONNOPT_R2 gateway{};
  RFC_ERROR_INFO_EX error{};  // filled by RfcOpenEx, never read
};

struct RfcLibrary {
  std::unique_ptr<DynamicLibrary> module;
  std::string full_path;  // the file loaded, as the system names it

  RfcEnvironmentFn RfcEnvironment = nullptr;
  RfcOpenFn RfcOpen = nullptr;
  RfcOpenExFn RfcOpenEx = nullptr;
  RfcInstallStructureFn RfcInstallStructure = nullptr;
  RfcCallFn RfcCall = nullptr;
  RfcReceiveFn RfcReceive = nullptr;
  RfcLastErrorFn RfcLastError = nullptr;
  RfcCloseFn RfcClose = nullptr;
  ItCreateFn ItCreate = nullptr;
  ItFillFn ItFill = nullptr;
  ItGetLineFn ItGetLine = nullptr;
  ItDeleteFn ItDelete = nullptr;

  RFC_ENV environment{};  // registered once; the library keeps its address
  OpenRecords open;

  InstalledType rfcsi;     // RFC_SYSTEM_INFO's RFCSI
  InstalledType cpu_all;   // GET_CPU_ALL's CPU_ALL
  InstalledType tst04sqd;  // ADA_ST04's TST04ADA lines
};

// Loads librfc32 into *rfc: first from the executable's own directory, then
// from the system's search path; every operation must be present. Fails
// naming the library, what is missing and the system's reason: "Error 1040"
// when it cannot be loaded, "Error 1041" when an operation is missing; a
// library built for the other bitness is named with the package that fits it.
Status LoadRfcLibrary(Platform& platform, std::unique_ptr<RfcLibrary>* rfc);

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_RFC_LIBRARY_H_
