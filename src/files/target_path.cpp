#include "files/target_path.h"

#include <cstring>

namespace quorvane {

namespace {
int argumentCount = 0;
char** argumentVector = nullptr;
}  // namespace

void captureArguments(int count, char** vector) {
  argumentCount = count;
  argumentVector = vector;
}

std::string targetPath() {
  std::string path;
  for (int i = 1; i < argumentCount; ++i) {
    if (i > 1) path += ' ';
    path += argumentVector[i];
  }
  return path;
}

}  // namespace quorvane
