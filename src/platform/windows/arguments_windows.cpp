// On Windows the C runtime's wide arguments, with wildcards expanded, are
// turned into UTF-8 byte strings that live as long as the process.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/arguments.h"
#include "platform/windows/utf8.h"

namespace {
struct StartupInfo {
  int newMode;
};
}  // namespace

extern "C" int __wgetmainargs(int* count, wchar_t*** vector, wchar_t*** environment,
                              int expandWildcards, StartupInfo* startup);

namespace quorvane::platform {

namespace {
std::vector<std::string> utf8Arguments;
std::vector<char*> utf8Vector;
}  // namespace

Arguments commandLineArguments(int count, char** vector) {
  int wideCount = 0;
  wchar_t** wideVector = nullptr;
  wchar_t** environment = nullptr;
  StartupInfo startup{0};
  if (__wgetmainargs(&wideCount, &wideVector, &environment, 1, &startup) != 0 ||
      wideVector == nullptr) {
    return {count, vector};
  }
  utf8Arguments.clear();
  for (int i = 0; i < wideCount; ++i) utf8Arguments.push_back(toUtf8(wideVector[i]));
  utf8Vector.clear();
  for (std::string& argument : utf8Arguments) utf8Vector.push_back(argument.data());
  utf8Vector.push_back(nullptr);
  return {wideCount, utf8Vector.data()};
}

}  // namespace quorvane::platform
