#pragma once
// Every change this backend makes to the terminal is made through here,
// and undone here: raw input (termios), the cursor's visibility, and the
// attributes, reset once escape sequences have been written. The undo is
// registered with atexit at the first change and also runs when SIGINT,
// SIGQUIT, SIGHUP or SIGTERM end the process (control_signals.h). It is
// async-signal-safe: fixed bytes, write(2) and tcsetattr(3) only, and may
// run more than once.

#include <string>

namespace quorvane::platform {

// Switches the terminal of descriptor to raw input: no line editing, no
// echo, no CR to NL translation, no flow control, no suspend key, reads
// that return at once (VMIN 0, VTIME 0). ISIG stays on: Ctrl+C and the
// quit key still raise their signals. One terminal at most is switched in a
// process; false when descriptor is no terminal or another one was.
bool enterRawInput(int descriptor);

// Notes that escape sequences go to descriptor (a terminal) from now on,
// so that the undo resets its attributes and shows its cursor.
void noteScreenOutput(int descriptor);

// Appends to out the bytes that show or hide the cursor of descriptor.
void changeCursorVisibility(int descriptor, bool visible, std::string& out);

// Puts the terminal back as it was found: original termios, cursor shown,
// attributes reset. Async-signal-safe.
void restoreTerminal() noexcept;

}  // namespace quorvane::platform
