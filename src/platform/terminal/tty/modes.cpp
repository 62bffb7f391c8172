#include "platform/terminal/tty/modes.h"

#include <termios.h>
#include <unistd.h>

#include <atomic>

#include "platform/terminal/tty/descriptor_io.h"

namespace quorvane::platform {

namespace {

// Attributes to the default, then the cursor shown.
constexpr char undoOutput[] = "\x1b[0m\x1b[?25h";

// Written by the main thread before the descriptor that guards it is
// published; only read afterwards, by the undo.
termios originalModes{};
std::atomic<int> rawDescriptor{-1};
std::atomic<int> screenDescriptor{-1};

static_assert(std::atomic<int>::is_always_lock_free);

constexpr cc_t disabledKey = static_cast<cc_t>(_POSIX_VDISABLE);

// The keys that would stop the process are plain keys here, as they are on
// the console: Ctrl+Z, and Ctrl+Y where the system has a delayed suspend.
#ifdef VDSUSP
void disableDelayedSuspend(termios& modes) { modes.c_cc[VDSUSP] = disabledKey; }
#else
void disableDelayedSuspend(termios&) {}
#endif

}  // namespace

bool inForeground(int descriptor) noexcept {
  const pid_t group = ::tcgetpgrp(descriptor);
  return group == -1 || group == ::getpgrp();
}

bool enterRawInput(int descriptor) {
  const int switched = rawDescriptor.load();
  if (switched >= 0) return switched == descriptor;
  termios modes{};
  if (::tcgetattr(descriptor, &modes) != 0) return false;
  originalModes = modes;
  rawDescriptor.store(descriptor);
  modes.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ECHONL | IEXTEN);
  modes.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR | IXON | ISTRIP);
  modes.c_cc[VMIN] = 0;
  modes.c_cc[VTIME] = 0;
  modes.c_cc[VSUSP] = disabledKey;
  disableDelayedSuspend(modes);
  if (::tcsetattr(descriptor, TCSANOW, &modes) == 0) return true;
  rawDescriptor.store(-1);  // a failed tcsetattr changed nothing
  return false;
}

int rawInputDescriptor() { return rawDescriptor.load(); }

void armOutputReset(int descriptor) {
  int none = -1;
  screenDescriptor.compare_exchange_strong(none, descriptor);
}

void restoreTerminal() noexcept {
  const int screen = screenDescriptor.load();
  // A terminal another process group has in the foreground belongs to the
  // shell now, which has set it up as it wants it; touching it would also
  // stop the process (SIGTTOU). A terminal that is gone fails both calls.
  if (screen >= 0 && inForeground(screen)) {
    static_cast<void>(writeAll(screen, undoOutput, sizeof undoOutput - 1));
  }
  const int raw = rawDescriptor.load();
  if (raw >= 0 && inForeground(raw)) static_cast<void>(::tcsetattr(raw, TCSANOW, &originalModes));
}

}  // namespace quorvane::platform
