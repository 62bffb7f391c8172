#pragma once
// The terminal as this process found it, set up at the backend's first use:
// which standard handles are terminals, the screen model that stands for
// standard output, the output queued for it, and the keys read from
// standard input. The one record of the backend's state; only what the
// signal handlers reach lives apart (terminal_modes.h, control_signals.h).
//
// The start, in this order: SIGPIPE is ignored, so that output to a reader
// that went away fails instead of ending the process; with a terminal on
// either side, the finish is armed, at exit and on the control signals
// (which restore the terminal through terminal_modes.h); the terminal keys
// come from (standard input when it is one, else /dev/tty, opened while
// standard output is a terminal) is switched to raw input when the process
// has it in the foreground, so that keys typed while output is printed are
// not echoed; the screen model gets the size of standard output's terminal
// (TIOCGWINSZ; 80 x 25 when it tells none), with the window over the whole
// buffer and the attribute 0x07; the starting cursor is asked of the
// terminal (CSI 6 n), whose answer is read, for at most cursorReportWaitMs,
// from the terminal in raw input. Without an answer, a line feed is written
// and the cursor taken to be in the bottom left cell, where it is then put.
//
// The finish undoes the start in reverse order: the queued output is
// written, the terminal restored, and /dev/tty closed.
//
// A resized terminal (SIGWINCH) is followed at the next wait, once the
// queued output is written: the model takes the new size and the cursor
// asked anew, its lines moved with the cursor's, since a terminal keeps the
// line its cursor is on with its text (and pulls earlier lines down when it
// grows, or pushes the top ones into its history when it shrinks). The
// window, the rows the console layer scrolls, keeps the height it had at the
// start while the terminal is as tall, moving with its lines; in a taller
// terminal the rows below it are taken as the console takes a taller
// buffer's.

#include <cstdint>

#include "platform/screen_model.h"
#include "platform/terminal/key_intake.h"
#include "platform/terminal/terminal_output.h"

namespace quorvane::platform {

inline constexpr int cursorReportWaitMs = 200;
// The input mode a console reports before anyone sets it: processed, line
// and echo input.
inline constexpr std::uint32_t startInputMode = 0x0007;
// Processed output and wrap at the end of a line.
inline constexpr std::uint32_t startOutputMode = 0x0003;

struct TerminalSession {
  bool started = false;           // set-up has run
  bool inputIsTerminal = false;   // standard input is a console input
  bool outputIsTerminal = false;  // standard output is a console screen buffer
  bool inputEnded = false;        // the terminal hung up or its input ended
  int rawInput = -1;              // the terminal in raw input: standard input or /dev/tty; -1: none
  std::uint32_t inputMode = startInputMode;
  std::uint32_t outputMode = startOutputMode;
  int windowRows = 25;  // the window's height, the terminal's at the start
  ScreenModel screen;
  TerminalOutput output;
  KeyIntake intake;
};

// The session, set up on the first call.
TerminalSession& terminalSession();

// Reads what standard input's terminal has sent and decodes it into keys.
void readTerminalKeys(TerminalSession& current);

// Writes what is queued for standard output's terminal, its cursor put
// where the screen model's stands.
void writeTerminalOutput(TerminalSession& current);

// Brings the screen model in line with a terminal resized since the last
// call; the queue must be empty.
void followTerminalResize(TerminalSession& current);

}  // namespace quorvane::platform
