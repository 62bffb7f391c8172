#pragma once
// The input statement behind the value prompt: one field of the user's
// answer becomes the entered number. With a console the answer is a line
// typed in the line editor (line mode); otherwise fields are read byte by
// byte from the standard input stream (redirected mode).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

inline constexpr int MaxNumericFieldLength = 67;
inline constexpr int endOfInput = -1;

enum class InputSource { line, redirected };

struct InputContext {
  InputSource source = InputSource::line;
  std::string line;
  std::size_t position = 0;
  unsigned char returned[4] = {};  // bytes given back to the redirected stream, oldest first
  unsigned returnedCount = 0;
  bool endedBeforeField = false;  // redirected input ran out before the field began
};

struct NumericField {
  char bytes[MaxNumericFieldLength + 1] = {};  // zero-terminated
  int length = 0;
  bool isFractional = false;
};

// Prints the prompt and takes one field (prompt and line end only with a
// console); returns its number: 0 for an empty or non-numeric field. Never
// fails and leaves the run-time error number at 0.
std::int32_t readEnteredNumber(std::string_view prompt);

// Whether the last statement met the end of redirected input before any
// byte of its field: no answer can come any more.
bool inputEndedBeforeField();

InputContext& inputContext();

void beginInput(std::string_view prompt);
// The next byte of the current source (0 to 255) or endOfInput.
int nextInputChar();
// Gives back the byte that nextInputChar() gave last.
void pushBackInputChar(int ch);
NumericField readNumericField();

}  // namespace quorvane
