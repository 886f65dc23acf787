// The vendor's RFC library, loaded at run time, and the structure types
// installed in it (once per process).
#ifndef QUILLMETER_RFC_RFC_LIBRARY_H_
#define QUILLMETER_RFC_RFC_LIBRARY_H_

#include <memory>
#include <string>

#include "platform/platform.h"
#include "rfc/librfc.h"

namespace quillmeter {

// A structure type registered with RfcInstallStructure.
struct InstalledType {
  bool installed = false;
  RFC_TYPEHANDLE handle = 0;
};

struct RfcLibrary {
  std::unique_ptr<DynamicLibrary> module;

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

  InstalledType rfcsi;     // RFC_SYSTEM_INFO's RFCSI
  InstalledType cpu_all;   // GET_CPU_ALL's CPU_ALL
  InstalledType tst04sqd;  // ADA_ST04's TST04ADA lines
};

}  // namespace quillmeter

#endif  // QUILLMETER_RFC_RFC_LIBRARY_H_
