// Our own declarations of the vendor's NetWeaver RFC library (sapnwrfc),
// written from its documented prototypes and record layouts: the fourteen
// operations the sensor uses, loaded at run time and never linked.
#ifndef QUILLMETER_RFC_NWRFC_H_
#define QUILLMETER_RFC_NWRFC_H_

#include <cstddef>

#include "rfc/librfc.h"  // QM_RFC_CALL: the same convention as the classic library
#include "rfc/sap_uc.h"

namespace quillmeter::nw {

// Result codes, and the groups they come in (C enums, four bytes).
enum Rc : int {
  kOk = 0,
  kCommunicationFailure = 1,
  kLogonFailure = 2,
  kAbapRuntimeFailure = 3,
  kAbapMessage = 4,
  kAbapException = 5,
  kInvalidHandle = 13,
  kInvalidParameter = 20,
  kBufferTooSmall = 23,
};
enum Group : int { kGroupLogonFailure = 3 };

// Every handle is an opaque pointer; null means failure.
using Handle = void*;

struct ConnectionParameter {
  const SapUc* name;
  const SapUc* value;
};

struct ErrorInfo {
  int code;
  int group;
  SapUc key[128];
  SapUc message[512];
  SapUc abap_msg_class[21];
  SapUc abap_msg_type[2];
  SapUc abap_msg_number[4];
  SapUc abap_msg_v1[51];
  SapUc abap_msg_v2[51];
  SapUc abap_msg_v3[51];
  SapUc abap_msg_v4[51];
};
static_assert(sizeof(ErrorInfo) == 1752);
static_assert(offsetof(ErrorInfo, message) == 264);
static_assert(offsetof(ErrorInfo, abap_msg_v4) == 1648);

extern "C" {
typedef Handle(QM_RFC_CALL* RfcOpenConnectionFn)(const ConnectionParameter*, unsigned, ErrorInfo*);
typedef int(QM_RFC_CALL* RfcCloseConnectionFn)(Handle, ErrorInfo*);
typedef Handle(QM_RFC_CALL* RfcGetFunctionDescFn)(Handle, const SapUc*, ErrorInfo*);
typedef Handle(QM_RFC_CALL* RfcCreateFunctionFn)(Handle, ErrorInfo*);
typedef int(QM_RFC_CALL* RfcDestroyFunctionFn)(Handle, ErrorInfo*);
typedef int(QM_RFC_CALL* RfcInvokeFn)(Handle, Handle, ErrorInfo*);
typedef int(QM_RFC_CALL* RfcSetCharsFn)(Handle, const SapUc*, const SapUc*, unsigned, ErrorInfo*);
typedef int(QM_RFC_CALL* RfcGetCharsFn)(Handle, const SapUc*, SapUc*, unsigned, ErrorInfo*);
typedef int(QM_RFC_CALL* RfcGetStructureFn)(Handle, const SapUc*, Handle*, ErrorInfo*);
typedef int(QM_RFC_CALL* RfcGetTableFn)(Handle, const SapUc*, Handle*, ErrorInfo*);
typedef int(QM_RFC_CALL* RfcGetRowCountFn)(Handle, unsigned*, ErrorInfo*);
typedef int(QM_RFC_CALL* RfcMoveToLastRowFn)(Handle, ErrorInfo*);
typedef int(QM_RFC_CALL* RfcSetIniPathFn)(const SapUc*, ErrorInfo*);
typedef const SapUc*(QM_RFC_CALL* RfcGetVersionFn)(unsigned*, unsigned*, unsigned*);
}

// The operations, resolved by their undecorated names.
struct Functions {
  RfcOpenConnectionFn RfcOpenConnection = nullptr;
  RfcCloseConnectionFn RfcCloseConnection = nullptr;
  RfcGetFunctionDescFn RfcGetFunctionDesc = nullptr;
  RfcCreateFunctionFn RfcCreateFunction = nullptr;
  RfcDestroyFunctionFn RfcDestroyFunction = nullptr;
  RfcInvokeFn RfcInvoke = nullptr;
  RfcSetCharsFn RfcSetChars = nullptr;
  RfcGetCharsFn RfcGetChars = nullptr;
  RfcGetStructureFn RfcGetStructure = nullptr;
  RfcGetTableFn RfcGetTable = nullptr;
  RfcGetRowCountFn RfcGetRowCount = nullptr;
  RfcMoveToLastRowFn RfcMoveToLastRow = nullptr;
  RfcSetIniPathFn RfcSetIniPath = nullptr;
  RfcGetVersionFn RfcGetVersion = nullptr;
};

// Calls `visit(name, &pointer)` for every operation of `functions`, in one
// order, so that the loader and the fake name them alike.
template <typename Visit>
void ForEachOperation(Functions& f, Visit&& visit) {
  visit("RfcOpenConnection", &f.RfcOpenConnection);
  visit("RfcCloseConnection", &f.RfcCloseConnection);
  visit("RfcGetFunctionDesc", &f.RfcGetFunctionDesc);
  visit("RfcCreateFunction", &f.RfcCreateFunction);
  visit("RfcDestroyFunction", &f.RfcDestroyFunction);
  visit("RfcInvoke", &f.RfcInvoke);
  visit("RfcSetChars", &f.RfcSetChars);
  visit("RfcGetChars", &f.RfcGetChars);
  visit("RfcGetStructure", &f.RfcGetStructure);
  visit("RfcGetTable", &f.RfcGetTable);
  visit("RfcGetRowCount", &f.RfcGetRowCount);
  visit("RfcMoveToLastRow", &f.RfcMoveToLastRow);
  visit("RfcSetIniPath", &f.RfcSetIniPath);
  visit("RfcGetVersion", &f.RfcGetVersion);
}

}  // namespace quillmeter::nw

#endif  // QUILLMETER_RFC_NWRFC_H_
