#pragma once
// GoogleTest on GCC's win32 thread model, which has no std::mutex before
// GCC 13. Only its Notification wants one; it starts a thread of GoogleTest's
// own tests, and this one waits on an atomic flag instead.

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

struct Notification {
  std::atomic<bool> notified{false};
  void Notify() { notified = true; }
  void WaitForNotification() {
    while (!notified) continue;
  }
};

}  // namespace testing::internal
