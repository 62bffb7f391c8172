#pragma once
// The terminal's modes as this backend changes them, and their undo: raw
// input (termios), and the attributes and the cursor's visibility, reset
// once escape sequences have been written. The session arms the undo at
// its start: at exit, and through control_signals.h when SIGINT, SIGQUIT,
// SIGHUP or SIGTERM end the process. It is async-signal-safe: fixed bytes,
// write(2) and tcsetattr(3) only, and may run more than once.

namespace quorvane::platform {

// Whether the process may set the modes of the terminal of descriptor: it
// has the terminal in the foreground, or the terminal is not its
// controlling terminal at all (one handed to it by another program), where
// no job control can stop it for doing so. Async-signal-safe.
bool inForeground(int descriptor) noexcept;

// Switches the terminal of descriptor to raw input: no line editing, no
// echo, no CR to NL translation, no flow control, no suspend key, reads
// that return at once (VMIN 0, VTIME 0). ISIG stays on: Ctrl+C and the
// quit key still raise their signals. One terminal at most is switched in a
// process; false when descriptor is no terminal or another one was.
bool enterRawInput(int descriptor);

// Notes that escape sequences go to descriptor (a terminal) from now on,
// so that the undo resets its attributes and shows its cursor. The first
// descriptor noted is the one kept.
void noteScreenOutput(int descriptor);

// Puts the terminal back as it was found: original termios, cursor shown,
// attributes reset. Async-signal-safe.
void restoreTerminal() noexcept;

}  // namespace quorvane::platform
