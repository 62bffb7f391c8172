#pragma once
// The console's control events, as signals. SIGINT is Ctrl+C (event 0),
// SIGQUIT Ctrl+Break (1), SIGHUP the closing of the terminal (2) and
// SIGTERM the shut-down (6).
//
// The signal handler calls the control routine directly; the routine is
// async-signal-safe by contract. When it returns false, or none is kept,
// the default happens: the terminal is restored and the process dies by
// the same signal with its default disposition. When it handles a close
// or shut-down, the process is given a short grace period to end by
// itself, as the console ends a process after a handled close event: once
// it is over, the terminal is restored and the process ends with exit code
// 128 + the signal. A handled Ctrl+C or Ctrl+Break changes nothing else.
//
// A signal that was ignored when the process started stays ignored.

#include "platform/console.h"

namespace quorvane::platform {

// Seconds a process has to end after a handled close or shut-down.
inline constexpr unsigned closeGraceSeconds = 3;

// Catches the four signals; calling again changes nothing.
void catchControlSignals();

// Makes a write whose reader has gone (a closed pipe or socket) fail with
// EPIPE like any other failed write, instead of ending the process by
// SIGPIPE.
void ignoreBrokenPipe();

// Keeps routine as the one control routine (add), or drops it if it is the
// one kept (remove). Catches the signals.
void setControlRoutine(ConsoleControlRoutine routine, bool add);

// The terminal is gone though no SIGHUP came (it was ignored, as under
// nohup): nothing can be typed any more, so the hang-up is answered as the
// signal would be, unless a close or shut-down is being answered already.
void answerHangUp();

// Notes each SIGWINCH, the terminal's word that it has another size; the
// signal also cuts a wait short.
void catchResizes();

// Whether the terminal was resized since the last takeResize; only that
// call clears the note.
bool resizeNoted();
bool takeResize();

}  // namespace quorvane::platform
