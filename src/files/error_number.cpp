#include "files/error_number.h"

namespace quorvane {

namespace {
int runTimeErrorNumber = ErrNone;
}

int setLastError(int n) {
  runTimeErrorNumber = n;
  return n;
}

int lastError() { return runTimeErrorNumber; }

}  // namespace quorvane
