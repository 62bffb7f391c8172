#include <windows.h>

#include "other_thread.h"

namespace quorvane::testing {
namespace {
DWORD WINAPI runWork(void* work) {
  reinterpret_cast<void (*)()>(work)();
  return 0;
}
}  // namespace

OtherThread* startThread(void (*work)()) {
  return static_cast<OtherThread*>(
      CreateThread(nullptr, 0, runWork, reinterpret_cast<void*>(work), 0, nullptr));
}

void joinThread(OtherThread* thread) {
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

}  // namespace quorvane::testing
