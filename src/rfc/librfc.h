// Our own declarations of the vendor's classic non-Unicode RFC library
// (librfc32), written from its documented record layouts. The sensor never
// links against the library; it loads these operations at run time.
#ifndef QUILLMETER_RFC_LIBRFC_H_
#define QUILLMETER_RFC_LIBRFC_H_

// On 32-bit Windows the library's operations use __stdcall; everywhere else
// the platform's one C convention applies.
#if defined(_WIN32) && !defined(_WIN64)
#define QM_RFC_CALL __stdcall
#else
#define QM_RFC_CALL
#endif

extern "C" {

typedef unsigned int RFC_HANDLE;      // 0 means no connection
typedef unsigned int RFC_TYPEHANDLE;  // an installed structure type
typedef void* ITAB_H;                 // an internal table, null means none
typedef int RFC_RC;                   // see the kRfc* result codes

enum : RFC_RC { kRfcOk = 0, kRfcFailure = 1, kRfcException = 2, kRfcSysException = 3 };

// Type codes of parameters and structure fields.
enum : unsigned {
  kRfcTypeChar = 0,
  kRfcTypeDate = 1,
  kRfcTypeTime = 3,
  kRfcTypeInt = 8,
  kRfcTypeInt2 = 9,
};

typedef void(QM_RFC_CALL* RFC_ERROR_HANDLER)(char* operation);
typedef void*(QM_RFC_CALL* RFC_ALLOCATE)(void* old_pointer, unsigned long size);

struct RFC_ENV {
  RFC_ERROR_HANDLER errorhandler;
  RFC_ALLOCATE allocate;
};

// Connection options for mode 0 (R/3): application server and system number.
struct RFC_CONNOPT_R3 {
  char* hostname;
  int sysnr;
  char* gateway_host;
  char* gateway_service;
};

// Connection options for mode 1 (R/2): through a gateway.
struct RFC_CONNOPT_R2 {
  char* gateway_host;
  char* gateway_service;
};

struct RFC_OPTIONS {
  char* destination;
  int mode;        // 0 R/3 host record, 1 R/2 gateway record
  void* connopt;   // RFC_CONNOPT_R3* or RFC_CONNOPT_R2*
  char* client;
  char* user;
  char* password;
  char* language;
  int trace;
};

struct RFC_ERROR_INFO {
  char key[33];
  char status[128];
  char message[256];
  char intstat[128];
};

struct RFC_ERROR_INFO_EX {
  int group;
  char key[33];
  char message[513];
};

// One exporting or importing parameter; a list ends with a null name.
struct RFC_PARAMETER {
  char* name;
  unsigned nlen;
  unsigned type;  // a type code, or an installed structure's type handle
  unsigned leng;
  void* addr;
};

// One table parameter; a list ends with a null name.
struct RFC_TABLE {
  char* name;
  unsigned nlen;
  unsigned type;
  unsigned leng;
  ITAB_H ithandle;
  int itmode;
  int newitab;
};

// One field of a structure passed to RfcInstallStructure.
struct RFC_TYPE_ELEMENT {
  char* name;
  unsigned type;
  unsigned length;
  unsigned decimals;
  unsigned offset;
};

typedef void(QM_RFC_CALL* RfcEnvironmentFn)(RFC_ENV* environment);
typedef RFC_HANDLE(QM_RFC_CALL* RfcOpenFn)(RFC_OPTIONS* options);
typedef RFC_HANDLE(QM_RFC_CALL* RfcOpenExFn)(char* connect_string, RFC_ERROR_INFO_EX* error);
typedef RFC_RC(QM_RFC_CALL* RfcInstallStructureFn)(char* name, RFC_TYPE_ELEMENT* fields,
                                                   unsigned count, RFC_TYPEHANDLE* type_handle);
typedef RFC_RC(QM_RFC_CALL* RfcCallFn)(RFC_HANDLE handle, char* function,
                                       RFC_PARAMETER* exporting, RFC_TABLE* tables);
typedef RFC_RC(QM_RFC_CALL* RfcReceiveFn)(RFC_HANDLE handle, RFC_PARAMETER* importing,
                                          RFC_TABLE* tables, char** exception);
typedef int(QM_RFC_CALL* RfcLastErrorFn)(RFC_ERROR_INFO* error);
typedef void(QM_RFC_CALL* RfcCloseFn)(RFC_HANDLE handle);
typedef ITAB_H(QM_RFC_CALL* ItCreateFn)(char* name, unsigned line_length, unsigned occurs,
                                        unsigned memory);
typedef unsigned(QM_RFC_CALL* ItFillFn)(ITAB_H table);
typedef void*(QM_RFC_CALL* ItGetLineFn)(ITAB_H table, unsigned line);
typedef int(QM_RFC_CALL* ItDeleteFn)(ITAB_H table);

}  // extern "C"

#endif  // QUILLMETER_RFC_LIBRFC_H_
