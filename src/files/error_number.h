#pragma once
// The run-time error number: one process-wide value that the file
// operations, the console output and the input statement leave behind.

namespace quorvane {

enum ErrorNumber : int {
  ErrNone = 0,        // success
  ErrBadCall = 1,     // a call that is not allowed here
  ErrOpenFailed = 2,  // no open attempt succeeded
  ErrIo = 3,          // a repositioning failed, a write fell short or did not reach the disk
  ErrNoMemory = 4,    // no storage
};

// Stores n and returns it.
int setLastError(int n);
int lastError();

}  // namespace quorvane
