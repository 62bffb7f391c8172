#include "platform/terminal/tty/signals.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/terminal/tty/modes.h"

namespace quorvane::platform {

namespace {

constexpr int controlSignals[] = {SIGINT, SIGQUIT, SIGHUP, SIGTERM};

std::atomic<ConsoleControlRoutine> controlRoutine{nullptr};
std::atomic<int> graceSignal{0};  // the signal whose grace period runs; 0: none
std::atomic<bool> resized{false};

static_assert(std::atomic<ConsoleControlRoutine>::is_always_lock_free);

std::uint32_t eventOf(int signal) {
  switch (signal) {
    case SIGINT:
      return ctrlCEvent;
    case SIGQUIT:
      return ctrlBreakEvent;
    case SIGHUP:
      return ctrlCloseEvent;
    default:
      return ctrlShutdownEvent;
  }
}

// Installs handler for signal with every control signal and SIGALRM
// blocked while it runs.
void install(int signal, void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  for (const int other : controlSignals) sigaddset(&action.sa_mask, other);
  sigaddset(&action.sa_mask, SIGALRM);
  action.sa_flags = SA_RESTART;
  ::sigaction(signal, &action, nullptr);
}

// Ends the process by signal as if nothing had caught it.
[[noreturn]] void dieBy(int signal) {
  struct sigaction fallback = {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  ::sigaction(signal, &fallback, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  // Blocked while its handler runs, the signal stays pending until it is
  // unblocked, and then ends the process at once.
  static_cast<void>(::raise(signal));
  ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
  ::_exit(128 + signal);
}

void onGraceOver(int) {
  restoreTerminal();
  ::_exit(128 + graceSignal.load());
}

void startGracePeriod(int signal) {
  int none = 0;
  if (!graceSignal.compare_exchange_strong(none, signal)) return;
  install(SIGALRM, onGraceOver);
  ::alarm(closeGraceSeconds);
}

void onResize(int) { resized.store(true); }

void onControlSignal(int signal) {
  const int savedErrno = errno;
  const ConsoleControlRoutine routine = controlRoutine.load();
  if (routine != nullptr && routine(eventOf(signal))) {
    if (signal == SIGHUP || signal == SIGTERM) startGracePeriod(signal);
    errno = savedErrno;
    return;
  }
  restoreTerminal();
  dieBy(signal);
}

}  // namespace

// A signal found ignored stays so; one caught already is caught again by
// the same handler.
void catchControlSignals() {
  for (const int signal : controlSignals) {
    struct sigaction current = {};
    if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
    install(signal, onControlSignal);
  }
}

void ignoreBrokenPipe() {
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGPIPE, &ignore, nullptr);
}

void setControlRoutine(ConsoleControlRoutine routine, bool add) {
  if (add) {
    controlRoutine.store(routine);
  } else {
    ConsoleControlRoutine kept = routine;
    controlRoutine.compare_exchange_strong(kept, nullptr);
  }
  catchControlSignals();
}

void answerHangUp() {
  if (graceSignal.load() == 0) onControlSignal(SIGHUP);
}

void catchResizes() { install(SIGWINCH, onResize); }

bool resizeNoted() { return resized.load(); }

bool takeResize() { return resized.exchange(false); }

}  // namespace quorvane::platform
