#pragma once
// The terminal's modes, changed here only, and their undo: raw input
// (termios), and the attributes and cursor reset once escape sequences have
// gone out. The undo runs at exit and from the signal handlers (signals.h),
// so it is async-signal-safe and may run more than once.

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

// The terminal switched to raw input; -1: none.
int rawInputDescriptor();

// Arms the undo's reset of attributes and cursor for descriptor, a terminal
// escape sequences go to from now on. The first descriptor armed is kept.
void armOutputReset(int descriptor);

// Puts the terminal back as it was found: original termios, cursor shown,
// attributes reset. Async-signal-safe.
void restoreTerminal() noexcept;

}  // namespace quorvane::platform
