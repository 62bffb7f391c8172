// The process entry: set up the run-time, register its end among the exit
// routines, keep the arguments and run the dialogue, which ends the process.

#include <cstdlib>

#include "files/target_path.h"
#include "patch/patch_dialogue.h"
#include "platform/arguments.h"
#include "process/runtime.h"

namespace {
void finishRuntime() { quorvane::runtimeExit(); }
}  // namespace

int main(int argc, char** argv) {
  quorvane::runtimeInit();
  // Should the list of exit routines be full, exit() still flushes and
  // closes the target's stream: nothing written is lost.
  static_cast<void>(std::atexit(finishRuntime));
  const quorvane::platform::Arguments arguments =
      quorvane::platform::commandLineArguments(argc, argv);
  quorvane::captureArguments(arguments.count, arguments.vector);
  quorvane::runPatchDialogue();
}
