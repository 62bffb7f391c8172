#pragma once
// The streams of the C library's stdio, which every system's backend
// uses: a Stream is a FILE.

#include <cstdio>

#include "platform/streams.h"

namespace quorvane::platform {

inline std::FILE* fileOf(Stream* stream) { return reinterpret_cast<std::FILE*>(stream); }
inline Stream* streamOf(std::FILE* file) { return reinterpret_cast<Stream*>(file); }

}  // namespace quorvane::platform
