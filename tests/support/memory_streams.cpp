#include "memory_streams.h"

#include <algorithm>
#include <cstring>

namespace quorvane::platform {

namespace {

// A write past the end fills the gap with zeros, as a file system does.
bool handOver(Stream* s) {
  if (s->buffered.empty()) return true;
  const bool taken = s->works(flush);
  const auto at = std::size_t(s->bufferedAt);
  if (taken) s->bytes.resize(std::max(s->bytes.size(), at + s->buffered.size()));
  if (taken) s->bytes.replace(at, s->buffered.size(), s->buffered);
  s->buffered.clear();
  return taken;
}

}  // namespace

Stream* openStream(std::string_view path, StreamMode) {
  memoryFile.at = 0;
  return path.empty() ? nullptr : &memoryFile;
}

bool setStreamBuffer(Stream*, std::size_t) { return true; }
bool getStreamPosition(Stream* s, std::int64_t& at) { return s->works(tell) && (at = s->at, true); }
bool setStreamPosition(Stream* s, std::int64_t at) {
  return handOver(s) && s->works(seek) && (s->at = at, true);
}
bool flushStream(Stream* s) { return handOver(s); }
bool commitStream(Stream* s) {
  return handOver(s) && s->works(commit) && (s->onDisk = s->bytes, true);
}
std::int64_t streamFileLength(Stream* s) { return s->works(length) ? s->bytes.size() : -1; }
bool closeStream(Stream* s) { return handOver(s); }

// A read stops at the end of what the system has.
std::size_t readStream(Stream* s, void* bytes, std::size_t count) {
  const std::size_t at = std::min(std::size_t(s->at), s->bytes.size());
  count = s->works(read) ? std::min(count, s->bytes.size() - at) : 0;
  std::memcpy(bytes, s->bytes.data() + at, count);
  s->at += std::int64_t(count);
  if (!s->works(shorten)) s->bytes.resize(1000);
  return count;
}

std::size_t writeStream(Stream* s, const void* bytes, std::size_t count) {
  if (!s->works(write)) return 0;
  if (s->buffered.empty()) s->bufferedAt = s->at;
  s->buffered.append(static_cast<const char*>(bytes), count);
  s->at += std::int64_t(count);
  return count;
}

}  // namespace quorvane::platform
