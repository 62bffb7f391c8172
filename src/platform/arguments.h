#pragma once
// The command-line arguments as the process's byte strings.

namespace quorvane::platform {

struct Arguments {
  int count = 0;
  char** vector = nullptr;
};

// The arguments the tool works with, kept for the whole process. On Windows
// they are taken afresh from the wide command line and held as UTF-8, so
// that a path the ANSI code page cannot spell still opens, and wildcards in
// them are expanded; elsewhere they are main's, unchanged.
Arguments commandLineArguments(int count, char** vector);

}  // namespace quorvane::platform
