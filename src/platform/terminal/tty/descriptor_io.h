#pragma once
// Reading and writing file descriptors the way this backend needs it: all
// or nothing for writes, whatever is there for reads, never blocking on a
// terminal that has gone away.

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorvane::platform {

// Writes all size bytes, going on after partial writes and interruptions;
// waits at most a second at a time for a descriptor that takes no more.
// False when the descriptor fails (a hung-up terminal: EIO) or stays full.
// Async-signal-safe: write(2) and poll(2) only.
bool writeAll(int descriptor, const void* bytes, std::size_t size) noexcept;

enum class ReadOutcome {
  some,   // bytes were appended (possibly none when none were pending)
  ended,  // end of input: a hang-up, an error, or end of file
};

// Appends the bytes that can be read without waiting, up to maxBytes.
ReadOutcome readAvailable(int descriptor, std::string& into, std::size_t maxBytes);

enum class WaitOutcome { ready, timedOut, interrupted };

// Waits up to timeoutMs for the descriptor to have input (or to report its
// end). A signal ends the wait early: interrupted.
WaitOutcome waitReadable(int descriptor, int timeoutMs);

// A monotonic clock in milliseconds.
std::int64_t monotonicMilliseconds();

}  // namespace quorvane::platform
