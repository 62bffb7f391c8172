// Streams on Windows: the C runtime's stdio, with 64-bit positions. Paths
// arrive as UTF-8 and are opened by their UTF-16 name.

#include <io.h>

#include <string>

#include "platform/stdio_streams.h"
#include "platform/windows/utf8.h"

namespace quorvane::platform {

Stream* openStream(std::string_view path, StreamMode mode) {
  std::wstring native = fromUtf8(path);
  if (native.empty()) return nullptr;
  for (wchar_t& c : native) {
    if (c == L'/') c = L'\\';
  }
  return streamOf(::_wfopen(native.c_str(), mode == StreamMode::readWrite ? L"r+b" : L"rb"));
}

bool getStreamPosition(Stream* stream, std::int64_t& position) {
  std::fpos_t where{};
  if (std::fgetpos(fileOf(stream), &where) != 0) return false;
  position = static_cast<std::int64_t>(where);
  return true;
}

bool setStreamPosition(Stream* stream, std::int64_t position) {
  const std::fpos_t where = position;
  return std::fsetpos(fileOf(stream), &where) == 0;
}

bool commitStream(Stream* stream) {
  return std::fflush(fileOf(stream)) == 0 && _commit(_fileno(fileOf(stream))) == 0;
}

std::int64_t streamFileLength(Stream* stream) { return _filelengthi64(_fileno(fileOf(stream))); }

}  // namespace quorvane::platform
