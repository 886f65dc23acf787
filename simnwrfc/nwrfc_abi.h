// The NetWeaver RFC library's types and operations as the simulated library
// exports them, written apart from the sensor's own declarations: a layout
// fault on either side then shows in the tests instead of cancelling out.
#ifndef QUILLMETER_SIMNWRFC_NWRFC_ABI_H_
#define QUILLMETER_SIMNWRFC_NWRFC_ABI_H_

#include <cstddef>

// __stdcall on 32-bit Windows; the platform's one C convention elsewhere.
#if defined(_WIN32) && !defined(_WIN64)
#define SIMNW_CALL __stdcall
#else
#define SIMNW_CALL
#endif

extern "C" {

// UTF-16 code units on every platform (never wchar_t, 4 bytes on Linux).
typedef char16_t SAP_UC;
typedef SAP_UC RFC_CHAR;

typedef struct { void* handle; } *RFC_CONNECTION_HANDLE;
typedef struct { void* handle; } *RFC_FUNCTION_DESC_HANDLE;
typedef struct { void* handle; } *DATA_CONTAINER_HANDLE;
typedef DATA_CONTAINER_HANDLE RFC_FUNCTION_HANDLE;
typedef DATA_CONTAINER_HANDLE RFC_STRUCTURE_HANDLE;
typedef DATA_CONTAINER_HANDLE RFC_TABLE_HANDLE;

enum RFC_RC {
  RFC_OK = 0,
  RFC_COMMUNICATION_FAILURE = 1,
  RFC_LOGON_FAILURE = 2,
  RFC_ABAP_RUNTIME_FAILURE = 3,
  RFC_ABAP_MESSAGE = 4,
  RFC_ABAP_EXCEPTION = 5,
  RFC_CLOSED = 6,
  RFC_MEMORY_INSUFFICIENT = 9,
  RFC_INVALID_HANDLE = 13,
  RFC_NOT_FOUND = 17,
  RFC_ILLEGAL_STATE = 19,
  RFC_INVALID_PARAMETER = 20,
  RFC_CONVERSION_FAILURE = 22,
  RFC_BUFFER_TOO_SMALL = 23,
  RFC_TABLE_MOVE_BOF = 24,
  RFC_TABLE_MOVE_EOF = 25,
  RFC_UNKNOWN_ERROR = 28,
};

enum RFC_ERROR_GROUP {
  ABAP_APPLICATION_FAILURE = 1,
  ABAP_RUNTIME_FAILURE = 2,
  LOGON_FAILURE = 3,
  COMMUNICATION_FAILURE = 4,
  EXTERNAL_RUNTIME_FAILURE = 5,
  EXTERNAL_APPLICATION_FAILURE = 6,
};

struct RFC_ERROR_INFO {
  RFC_RC code;
  RFC_ERROR_GROUP group;
  SAP_UC key[128];
  SAP_UC message[512];
  SAP_UC abapMsgClass[21];
  SAP_UC abapMsgType[2];
  RFC_CHAR abapMsgNumber[4];
  SAP_UC abapMsgV1[51];
  SAP_UC abapMsgV2[51];
  SAP_UC abapMsgV3[51];
  SAP_UC abapMsgV4[51];
};

struct RFC_CONNECTION_PARAMETER {
  const SAP_UC* name;
  const SAP_UC* value;
};

static_assert(sizeof(SAP_UC) == 2);
static_assert(sizeof(RFC_RC) == 4 && sizeof(RFC_ERROR_GROUP) == 4);
static_assert(offsetof(RFC_ERROR_INFO, key) == 8);
static_assert(offsetof(RFC_ERROR_INFO, message) == 264);
static_assert(offsetof(RFC_ERROR_INFO, abapMsgClass) == 1288);
static_assert(offsetof(RFC_ERROR_INFO, abapMsgType) == 1330);
static_assert(offsetof(RFC_ERROR_INFO, abapMsgNumber) == 1334);
static_assert(offsetof(RFC_ERROR_INFO, abapMsgV1) == 1342);
static_assert(offsetof(RFC_ERROR_INFO, abapMsgV4) == 1648);
static_assert(sizeof(RFC_ERROR_INFO) == 1752);
static_assert(sizeof(RFC_CONNECTION_PARAMETER) == 2 * sizeof(void*));

// The operations, as function pointer types for a caller that loads them.
typedef RFC_CONNECTION_HANDLE(SIMNW_CALL* RfcOpenConnectionFn)(const RFC_CONNECTION_PARAMETER*,
                                                               unsigned, RFC_ERROR_INFO*);
typedef RFC_RC(SIMNW_CALL* RfcCloseConnectionFn)(RFC_CONNECTION_HANDLE, RFC_ERROR_INFO*);
typedef RFC_FUNCTION_DESC_HANDLE(SIMNW_CALL* RfcGetFunctionDescFn)(RFC_CONNECTION_HANDLE,
                                                                   const SAP_UC*, RFC_ERROR_INFO*);
typedef RFC_FUNCTION_HANDLE(SIMNW_CALL* RfcCreateFunctionFn)(RFC_FUNCTION_DESC_HANDLE,
                                                             RFC_ERROR_INFO*);
typedef RFC_RC(SIMNW_CALL* RfcDestroyFunctionFn)(RFC_FUNCTION_HANDLE, RFC_ERROR_INFO*);
typedef RFC_RC(SIMNW_CALL* RfcInvokeFn)(RFC_CONNECTION_HANDLE, RFC_FUNCTION_HANDLE,
                                         RFC_ERROR_INFO*);
typedef RFC_RC(SIMNW_CALL* RfcSetCharsFn)(DATA_CONTAINER_HANDLE, const SAP_UC*, const RFC_CHAR*,
                                           unsigned, RFC_ERROR_INFO*);
typedef RFC_RC(SIMNW_CALL* RfcGetCharsFn)(DATA_CONTAINER_HANDLE, const SAP_UC*, RFC_CHAR*,
                                           unsigned, RFC_ERROR_INFO*);
typedef RFC_RC(SIMNW_CALL* RfcGetStructureFn)(DATA_CONTAINER_HANDLE, const SAP_UC*,
                                               RFC_STRUCTURE_HANDLE*, RFC_ERROR_INFO*);
typedef RFC_RC(SIMNW_CALL* RfcGetTableFn)(DATA_CONTAINER_HANDLE, const SAP_UC*, RFC_TABLE_HANDLE*,
                                           RFC_ERROR_INFO*);
typedef RFC_RC(SIMNW_CALL* RfcGetRowCountFn)(RFC_TABLE_HANDLE, unsigned*, RFC_ERROR_INFO*);
typedef RFC_RC(SIMNW_CALL* RfcMoveToLastRowFn)(RFC_TABLE_HANDLE, RFC_ERROR_INFO*);
typedef RFC_RC(SIMNW_CALL* RfcSetIniPathFn)(const SAP_UC*, RFC_ERROR_INFO*);
typedef const SAP_UC*(SIMNW_CALL* RfcGetVersionFn)(unsigned*, unsigned*, unsigned*);

}  // extern "C"

#endif  // QUILLMETER_SIMNWRFC_NWRFC_ABI_H_
