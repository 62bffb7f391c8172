#pragma once
// The target path: every command-line argument after the program name,
// joined with single blanks.

#include <string>

namespace quorvane {

// Keeps references to the platform's argument vector; called once at start.
void captureArguments(int count, char** vector);

// All arguments after the program name joined with one blank each; empty
// when there are none. No quotes are added and no blanks trimmed.
std::string targetPath();

}  // namespace quorvane
