#pragma once
// In-memory files and streams for the tests, standing where the stdio
// backend stands, with switches that make each stream call fail.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quorvane::testing {

struct MemoryFile {
  std::vector<std::uint8_t> bytes;
  bool writable = true;  // false: refuses the read-write open
};

struct StreamFaults {
  bool openReadWrite = false;  // the read-write open fails
  bool openReadOnly = false;   // the read-only open fails
  bool setPosition = false;
  bool getPosition = false;
  bool length = false;
  bool flush = false;
  bool commit = false;
  int writesBeforeShortWrite = -1;  // after that many writes, every write falls short
};

struct MemoryDisk {
  std::map<std::string, MemoryFile> files;
  StreamFaults faults;
  int openStreams = 0;
  int commits = 0;
  std::vector<std::string> calls;  // the stream calls in order
};

MemoryDisk& memoryDisk();
void resetMemoryDisk();

}  // namespace quorvane::testing
