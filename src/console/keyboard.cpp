#include "console/keyboard.h"

#include "console/console_output.h"

namespace quorvane {

void waitForKey() {
  // No key can come when standard input is not a console.
  if (!inputIsConsole()) return;
}

bool keyWaiting() { return false; }

std::string takeKey() { return {}; }

}  // namespace quorvane
