// The terminal backend's control signals, in child processes. What it shows,
// its modes and their undo are tested end to end, on a real terminal's screen.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>

#include "platform/terminal/control_signals.h"

namespace quorvane::platform {
namespace {

std::atomic<int> lastEvent{-1};

template <bool handled>
bool noteEvent(std::uint32_t event) {
  lastEvent.store(int(event));
  return handled;
}
constexpr auto handleEvent = noteEvent<true>, refuseEvent = noteEvent<false>;

// In the child: 0 when the routine saw the event (-1: none) and a grace period
// is armed exactly when expected.
[[noreturn]] void raiseAndReport(int signal, int event, bool graceExpected) {
  ::raise(signal);
  const bool graceArmed = ::alarm(0) > 0;
  ::_exit(lastEvent.load() == event && graceArmed == graceExpected ? 0 : 1);
}

enum Routine { handled, refused, removed, ignoredAtStart };

TEST(ControlSignalsDeathTest, EachSignalReachesTheRoutineOrEndsTheProcess) {
  // (the signal and the routine set for it; the event the routine sees, -1 for
  //  none; whether a grace period is armed; whether the signal ends the process)
  const std::tuple<int, Routine, int, bool, bool> cases[] = {
      {SIGHUP, handled, ctrlCloseEvent, true, false},
      {SIGTERM, handled, ctrlShutdownEvent, true, false},
      {SIGINT, handled, ctrlCEvent, false, false},
      {SIGQUIT, handled, ctrlBreakEvent, false, false},
      {SIGINT, refused, ctrlCEvent, false, true},
      {SIGTERM, removed, -1, false, true},
      {SIGHUP, ignoredAtStart, -1, false, false}};  // as nohup leaves it
  for (const auto& [signal, routine, event, grace, ends] : cases) {
    const int raised = signal;
    const bool killed = ends;
    EXPECT_EXIT(
        {
          if (routine == ignoredAtStart) ::signal(signal, SIG_IGN);
          setControlRoutine(routine == refused ? refuseEvent : handleEvent, true);
          // removing a routine never set keeps the one set
          setControlRoutine(
              routine == handled || routine == ignoredAtStart ? refuseEvent : handleEvent, false);
          raiseAndReport(signal, event, grace);
        },
        [=](int status) {
          return killed ? WIFSIGNALED(status) && WTERMSIG(status) == raised : status == 0;
        },
        "")
        << signal << " " << routine;
  }
}

}  // namespace
}  // namespace quorvane::platform
