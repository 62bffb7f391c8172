#pragma once
// Buffered byte streams over files, the only way the file layer reaches the
// disk. A backend provides them: the C library's stdio on each system, or
// the in-memory streams of the tests. Positions are zero-based and 64-bit.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorvane::platform {

struct Stream;

enum class StreamMode {
  readWrite,  // an existing file, for reading and writing; never created
  readOnly,   // an existing file, for reading
};

// Opens an existing regular file; null when it cannot be opened in that
// mode (a missing file, a folder, a device, no permission).
Stream* openStream(std::string_view path, StreamMode mode);
// Gives the stream a fully buffered mode with a buffer of that size.
bool setStreamBuffer(Stream* stream, std::size_t size);
bool getStreamPosition(Stream* stream, std::int64_t& position);
bool setStreamPosition(Stream* stream, std::int64_t position);
bool flushStream(Stream* stream);
// Flushes the stream and asks the system to put its bytes on the disk.
bool commitStream(Stream* stream);
// The length of the underlying file as the file system reports it; -1 when
// it cannot be had. Bytes still in the stream buffer are not counted.
std::int64_t streamFileLength(Stream* stream);
std::size_t readStream(Stream* stream, void* bytes, std::size_t count);
std::size_t writeStream(Stream* stream, const void* bytes, std::size_t count);
// Writes out pending bytes and closes; the stream is gone either way.
bool closeStream(Stream* stream);

}  // namespace quorvane::platform
