// GetThreadId for the 32-bit program, which must start on Windows XP, where
// KERNEL32 lacks it. From GCC 13 on, the win32 thread model compares threads
// with GetThreadId in the same object as the mutex that C++ exceptions need,
// so every program would import it, and XP refuses to start a program whose
// import it cannot find. Defining the import's pointer here keeps the linker
// from taking it from KERNEL32's import library. The tool compares no
// threads; should anything, the id comes from the call that GetThreadId
// itself makes, which every Windows has.

#include <windows.h>

namespace {

// THREAD_BASIC_INFORMATION, as NtQueryInformationThread fills it in.
struct ThreadBasicInformation {
  LONG exitStatus;
  void* environmentBlock;
  void* uniqueProcess;
  void* uniqueThread;
  ULONG_PTR affinityMask;
  LONG priority;
  LONG basePriority;
};

using QueryInformationThread = LONG(WINAPI*)(HANDLE thread, int infoClass, void* info, ULONG size,
                                             ULONG* returned);
constexpr int threadBasicInformation = 0;

// The id of the thread behind the handle; 0 when it cannot be had.
DWORD WINAPI threadIdOf(HANDLE thread) {
  const auto query = reinterpret_cast<QueryInformationThread>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
  ThreadBasicInformation info{};
  if (query == nullptr || query(thread, threadBasicInformation, &info, sizeof info, nullptr) < 0) {
    return 0;
  }
  return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(info.uniqueThread));
}

}  // namespace

using ThreadIdCall = DWORD(WINAPI*)(HANDLE thread);

extern "C" {
extern const ThreadIdCall importedGetThreadId __asm__("__imp__GetThreadId@4");
const ThreadIdCall importedGetThreadId = threadIdOf;
}
