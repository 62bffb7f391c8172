#include <thread>

#include "other_thread.h"

namespace quorvane::testing {

struct OtherThread : std::thread {};

OtherThread* startThread(void (*work)()) { return new OtherThread{std::thread(work)}; }

void joinThread(OtherThread* thread) {
  thread->join();
  delete thread;
}

}  // namespace quorvane::testing
