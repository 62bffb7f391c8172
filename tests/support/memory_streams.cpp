#include "memory_streams.h"

#include <algorithm>
#include <cstring>

#include "platform/streams.h"

namespace quorvane::platform {

struct Stream {
  std::string path;
  bool writable = false;
  std::int64_t position = 0;
  int writes = 0;
};

}  // namespace quorvane::platform

namespace quorvane::testing {

namespace {
MemoryDisk disk;
}

MemoryDisk& memoryDisk() { return disk; }

void resetMemoryDisk() { disk = MemoryDisk{}; }

}  // namespace quorvane::testing

namespace quorvane::platform {

namespace {

using testing::disk;

std::vector<std::uint8_t>& contents(const Stream* stream) { return disk.files[stream->path].bytes; }

}  // namespace

Stream* openStream(std::string_view path, StreamMode mode) {
  const bool readWrite = mode == StreamMode::readWrite;
  disk.calls.push_back(readWrite ? "open r+b" : "open rb");
  const auto file = disk.files.find(std::string(path));
  if (file == disk.files.end()) return nullptr;
  if (readWrite && (disk.faults.openReadWrite || !file->second.writable)) return nullptr;
  if (!readWrite && disk.faults.openReadOnly) return nullptr;
  ++disk.openStreams;
  return new Stream{std::string(path), readWrite};
}

bool setStreamBuffer(Stream*, std::size_t size) {
  disk.calls.push_back("buffer " + std::to_string(size));
  return true;
}

bool getStreamPosition(Stream* stream, std::int64_t& position) {
  if (disk.faults.getPosition) return false;
  position = stream->position;
  return true;
}

bool setStreamPosition(Stream* stream, std::int64_t position) {
  disk.calls.push_back("seek " + std::to_string(position));
  if (disk.faults.setPosition || position < 0) return false;
  stream->position = position;
  return true;
}

bool flushStream(Stream*) {
  disk.calls.push_back("flush");
  return !disk.faults.flush;
}

bool commitStream(Stream*) {
  disk.calls.push_back("commit");
  if (disk.faults.flush || disk.faults.commit) return false;
  ++disk.commits;
  return true;
}

std::int64_t streamFileLength(Stream* stream) {
  if (disk.faults.length) return -1;
  return static_cast<std::int64_t>(contents(stream).size());
}

std::size_t readStream(Stream* stream, void* bytes, std::size_t count) {
  const auto& file = contents(stream);
  const auto at = static_cast<std::size_t>(stream->position);
  const std::size_t n = at < file.size() ? std::min(count, file.size() - at) : 0;
  std::memcpy(bytes, file.data() + at, n);
  stream->position += static_cast<std::int64_t>(n);
  return n;
}

// A write past the end extends the file with zero bytes, as a disk file does.
std::size_t writeStream(Stream* stream, const void* bytes, std::size_t count) {
  disk.calls.push_back("write " + std::to_string(stream->position));
  if (!stream->writable) return 0;
  const int limit = disk.faults.writesBeforeShortWrite;
  if (limit >= 0 && stream->writes++ >= limit) return 0;
  auto& file = contents(stream);
  const auto at = static_cast<std::size_t>(stream->position);
  if (file.size() < at + count) file.resize(at + count);
  std::memcpy(file.data() + at, bytes, count);
  stream->position += static_cast<std::int64_t>(count);
  return count;
}

bool closeStream(Stream* stream) {
  disk.calls.push_back("close");
  --disk.openStreams;
  delete stream;
  return true;
}

}  // namespace quorvane::platform
