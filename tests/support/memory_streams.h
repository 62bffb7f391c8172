#pragma once
// One file in memory behind the stream calls, which every path but "" opens. Calls of
// one kind fail from some call on, as when a disk fills or a drive goes.

#include <cstdint>
#include <string>

#include "platform/streams.h"

namespace quorvane::platform {

// shorten: after each read, another program cuts the file to 1000 bytes
enum StreamCall { tell, seek, flush, commit, length, read, write, shorten, streamCalls };

struct Stream {
  std::string bytes, onDisk;  // what the stream holds; what its last commit put on the disk
  std::int64_t at = 0;
  int failing = streamCalls, failFrom = 0, made[streamCalls] = {};
  bool works(StreamCall call) { return ++made[call] < failFrom || call != failing; }
};

inline Stream memoryFile;

}  // namespace quorvane::platform
