#pragma once
// GoogleTest on GCC's win32 thread model, which lacks std::mutex before GCC 13:
// the Notification that starts GoogleTest's own threads waits on a flag.

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
