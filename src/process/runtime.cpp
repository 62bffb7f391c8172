#include "process/runtime.h"

#include <cfenv>
#include <cstdlib>

#include "console/console_output.h"
#include "files/error_number.h"
#include "files/file_table.h"

namespace quorvane {

namespace {
int initialisationCount = 0;
}

void runtimeInit() {
  if (initialisationCount++ != 0) return;
  setLastError(ErrNone);
  std::fesetround(FE_TONEAREST);
  resetConsoleState();
}

void runtimeExit() {
  if (--initialisationCount > 0) return;
  closeAllFiles();
}

void endProcess(int code) { std::exit(code); }

}  // namespace quorvane
