#pragma once
// A thread of the system's own for the tests: the Windows programs are built
// with a thread model that has no std::thread.

namespace quorvane::testing {

struct OtherThread;

// Starts `work` on a new thread; joinThread waits for it and frees it.
OtherThread* startThread(void (*work)());
void joinThread(OtherThread* thread);

}  // namespace quorvane::testing
