#pragma once
// Keyboard intake: console key events become key codes in a queue, taken
// by the line editor and by the key wait that ends every run.

#include <string>

namespace quorvane {

// Returns once a key has been stored since the last poll, or at once when
// standard input is not a console and no key can come.
void waitForKey();

// Whether a key is queued; removes nothing.
bool keyWaiting();

// Removes the oldest key and gives its text: one byte for a character, the
// bytes 255 and the extended code's high byte for other keys; empty when
// no key is queued.
std::string takeKey();

}  // namespace quorvane
