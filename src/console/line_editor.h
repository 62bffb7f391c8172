#pragma once
// The line editor behind the value prompt: one line typed and edited in
// place after the prompt, always inserting, until Enter.

#include <optional>
#include <string>

namespace quorvane {

// Runs one entry with the cursor just after the prompt and returns the
// text without the Enter (bytes 32 to 255 only), the cursor left after its
// last byte. No line only when storage for it cannot be had at the start.
std::optional<std::string> editLine();

}  // namespace quorvane
