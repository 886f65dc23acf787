// A library that has the vendor library's file name but not all of its
// operations: the sensor must refuse it, naming the one missing.
#include "rfc/librfc.h"

extern "C" {

void QM_RFC_CALL RfcEnvironment(RFC_ENV*) {}

RFC_HANDLE QM_RFC_CALL RfcOpen(RFC_OPTIONS*) { return 0; }

}  // extern "C"
