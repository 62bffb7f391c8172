#include "platform/terminal/tty/descriptor_io.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace quorvane::platform {

namespace {
constexpr int fullDescriptorWaitMs = 1000;
}

bool writeAll(int descriptor, const void* bytes, std::size_t size) noexcept {
  const auto* next = static_cast<const char*>(bytes);
  while (size > 0) {
    const ssize_t done = ::write(descriptor, next, size);
    if (done > 0) {
      next += done;
      size -= static_cast<std::size_t>(done);
      continue;
    }
    if (done < 0 && errno == EINTR) continue;
    if (done < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd room{descriptor, POLLOUT, 0};
      if (::poll(&room, 1, fullDescriptorWaitMs) > 0) continue;
    }
    return false;
  }
  return true;
}

ReadOutcome readAvailable(int descriptor, std::string& into, std::size_t maxBytes) {
  char chunk[512];
  std::size_t taken = 0;
  while (taken < maxBytes) {
    pollfd pending{descriptor, POLLIN, 0};
    const int ready = ::poll(&pending, 1, 0);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || (pending.revents & POLLNVAL) != 0) return ReadOutcome::ended;
    if (ready == 0) break;
    const std::size_t wanted = std::min(sizeof chunk, maxBytes - taken);
    const ssize_t got = ::read(descriptor, chunk, wanted);
    if (got > 0) {
      into.append(chunk, static_cast<std::size_t>(got));
      taken += static_cast<std::size_t>(got);
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    // Readable yet nothing to read: the terminal hung up or the input ended.
    return ReadOutcome::ended;
  }
  return ReadOutcome::some;
}

WaitOutcome waitReadable(int descriptor, int timeoutMs) {
  pollfd pending{descriptor, POLLIN, 0};
  const int ready = ::poll(&pending, 1, timeoutMs);
  if (ready > 0) return WaitOutcome::ready;
  if (ready == 0) return WaitOutcome::timedOut;
  // EINTR is the expected failure; any other leaves the caller to find the
  // descriptor's state by reading.
  return errno == EINTR ? WaitOutcome::interrupted : WaitOutcome::ready;
}

std::int64_t monotonicMilliseconds() {
  timespec now{};
  static_cast<void>(::clock_gettime(CLOCK_MONOTONIC, &now));
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace quorvane::platform
