#pragma once
// GoogleTest on GCC's win32 thread model, which has no std::mutex before
// GCC 13. GoogleTest takes its locks from the system there; only its
// Notification, which starts the threads of its own tests, wants std::mutex:
// this one waits on an atomic flag instead.

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
 public:
  void Notify() { notified_.store(true); }
  void WaitForNotification() {
    while (!notified_.load()) {
    }
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace testing::internal
