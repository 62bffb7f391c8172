#pragma once
// The frame around the dialogue: the run-time set up once at start, and
// the one way the process ends.

namespace quorvane {

// Clears the run-time state and sets the floating-point rounding; does its
// work only on the first of nested calls.
void runtimeInit();

// Closes every open file, writing out what the streams still hold; does
// its work only when the last runtimeInit is undone.
void runtimeExit();

// Runs the exit routines, last registered first (runtimeExit among them),
// and ends the process with the code. Never returns.
[[noreturn]] void endProcess(int code);

}  // namespace quorvane
