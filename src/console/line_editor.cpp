#include "console/line_editor.h"

namespace quorvane {

std::optional<std::string> editLine() { return std::string{}; }

}  // namespace quorvane
