#include "memory_streams.h"

#include <algorithm>
#include <cstring>

namespace quorvane::platform {

Stream* openStream(std::string_view path, StreamMode) {
  memoryFile.at = 0;
  return path.empty() ? nullptr : &memoryFile;
}

bool setStreamBuffer(Stream*, std::size_t) { return true; }
bool getStreamPosition(Stream* s, std::int64_t& at) { return s->works(tell) && (at = s->at, true); }
bool setStreamPosition(Stream* s, std::int64_t at) { return s->works(seek) && (s->at = at, true); }
bool flushStream(Stream* s) { return s->works(flush); }
bool commitStream(Stream* s) { return s->works(commit) && (s->onDisk = s->bytes, true); }
std::int64_t streamFileLength(Stream* s) { return s->works(length) ? s->bytes.size() : -1; }
bool closeStream(Stream*) { return true; }

// A read stops at the end; a write past it fills the gap with zeros.
std::size_t readStream(Stream* s, void* bytes, std::size_t count) {
  const std::size_t at = std::min(std::size_t(s->at), s->bytes.size());
  count = s->works(read) ? std::min(count, s->bytes.size() - at) : 0;
  std::memcpy(bytes, s->bytes.data() + at, count);
  s->at += std::int64_t(count);
  if (s->failing == shorten) s->bytes.resize(1000);
  return count;
}

std::size_t writeStream(Stream* s, const void* bytes, std::size_t count) {
  const auto at = std::size_t(s->at);
  count = s->works(write) ? count : 0;
  s->bytes.resize(std::max(s->bytes.size(), at + count));
  std::memcpy(s->bytes.data() + at, bytes, count);
  s->at += std::int64_t(count);
  return count;
}

}  // namespace quorvane::platform
