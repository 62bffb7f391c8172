#pragma once
// One file in memory behind the stream calls, which every path but "" opens. Calls of
// one kind fail from some call on, as when a disk fills or a drive goes. Written bytes
// wait in the stream's buffer until a repositioning, a flush or the close hands them to
// the system; a refused hand-over loses them, as stdio's does.

#include <cstdint>
#include <string>

#include "platform/streams.h"

namespace quorvane::platform {

// flush: a hand-over of buffered bytes; shorten: another program cuts the file to 1000
// bytes after a read
enum StreamCall { tell, seek, flush, commit, length, read, write, shorten, streamCalls };

struct Stream {
  std::string bytes, onDisk;  // the file as the system has it; what the last commit put on the disk
  std::string buffered;       // written at bufferedAt, not handed over yet
  std::int64_t at = 0, bufferedAt = 0;
  int failing = streamCalls, failFrom = 0, made[streamCalls] = {};
  bool works(StreamCall call) { return ++made[call] < failFrom || call != failing; }
};

inline Stream memoryFile;

}  // namespace quorvane::platform
