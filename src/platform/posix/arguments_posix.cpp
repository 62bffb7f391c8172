// On Linux and macOS the arguments are byte strings already.

#include "platform/arguments.h"

namespace quorvane::platform {

Arguments commandLineArguments(int count, char** vector) { return {count, vector}; }

}  // namespace quorvane::platform
