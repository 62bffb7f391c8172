#include "console/input_field.h"

#include <optional>
#include <utility>

#include "console/console_output.h"
#include "console/keyboard.h"
#include "console/line_editor.h"
#include "console/number_conversion.h"
#include "files/error_number.h"
#include "platform/console.h"

namespace quorvane {

namespace {

InputContext context;

// The field being taken, with the flags of the field rules.
struct FieldInProgress {
  NumericField field;
  bool inQuotes = false;
  bool afterAmpersand = false;
};

// What comes after acting on one character.
enum class FieldStep : std::uint8_t {
  readNext,     // take the next character
  finished,     // the field and what ends it are consumed
  trailingStep  // the field has ended; the character in hand goes to the trailing step
};

bool isBlankOrTab(int ch) { return ch == ' ' || ch == '\t'; }

int readStreamByte() {
  unsigned char byte = 0;
  return platform::readStandardInput(&byte, 1) == 1 ? byte : endOfInput;
}

void store(FieldInProgress& taken, int ch) {
  taken.field.bytes[taken.field.length++] = static_cast<char>(ch);
}

// After a carriage return: a line feed belongs to it, anything else is
// given back.
void consumeLineFeedAfterReturn() {
  const int ch = nextInputChar();
  if (ch != '\n') pushBackInputChar(ch);
}

// The field rules for one character other than the end of input.
FieldStep actOn(FieldInProgress& taken, int ch) {
  switch (ch) {
    case '"':
      if (taken.inQuotes) {
        taken.inQuotes = false;
      } else if (taken.field.length > 0) {
        store(taken, ch);
      } else {
        taken.inQuotes = true;
      }
      return FieldStep::readNext;
    case ',':
      if (!taken.inQuotes) return FieldStep::finished;
      store(taken, ch);
      return FieldStep::readNext;
    case '\n':
      return FieldStep::finished;
    case '\r':
      consumeLineFeedAfterReturn();
      return FieldStep::finished;
    case ' ':
    case '\t':
      if (!taken.inQuotes) return FieldStep::trailingStep;
      store(taken, ch);
      return FieldStep::readNext;
    case '&':
      store(taken, ch);
      taken.afterAmpersand = true;
      return FieldStep::readNext;
    case '.':
    case 'E':
    case 'e':
      store(taken, ch);
      taken.field.isFractional = taken.field.isFractional || !taken.afterAmpersand;
      return FieldStep::readNext;
    case 'D':
    case 'd':
      // Outside the radix forms D is the exponent letter of a double.
      if (taken.afterAmpersand) {
        store(taken, ch);
      } else {
        store(taken, ch == 'D' ? 'E' : 'e');
        taken.field.isFractional = true;
      }
      return FieldStep::readNext;
    default:
      store(taken, ch);
      return FieldStep::readNext;
  }
}

// What follows an ended field, starting with the character in hand: blanks
// and tabs, then one comma or line end, are consumed; any other character
// is given back to begin the next field.
void finishAfterField(int ch) {
  while (isBlankOrTab(ch)) ch = nextInputChar();
  if (ch == '\r') {
    consumeLineFeedAfterReturn();
  } else if (ch != '\n' && ch != ',' && ch != endOfInput) {
    pushBackInputChar(ch);
  }
}

// The field ends at the end of input; with nothing stored, redirected input
// has run out before the field began.
void endAtEndOfInput(const FieldInProgress& taken) {
  if (context.source == InputSource::redirected && taken.field.length == 0) {
    context.endedBeforeField = true;
  }
}

}  // namespace

InputContext& inputContext() { return context; }

bool inputEndedBeforeField() { return context.endedBeforeField; }

// Starts a statement: releases the last line and chooses the source. With
// a console the prompt is printed and a line taken from the line editor,
// followed by a line end; without one nothing is printed and the field is
// read from the standard input stream, after any byte given back to it.
void beginInput(std::string_view prompt) {
  context.line = std::string{};
  context.position = 0;
  context.endedBeforeField = false;
  if (!inputIsConsole()) {
    context.source = InputSource::redirected;
    setLastError(ErrNone);
    return;
  }
  context.source = InputSource::line;
  consoleWrite("", 0, writeEvenIfEmpty);
  printText(prompt);
  std::optional<std::string> entered = editLine();
  printEmptyLine();
  if (!entered) {
    setLastError(ErrNoMemory);
    return;
  }
  context.line = std::move(*entered);
  setLastError(ErrNone);
}

int nextInputChar() {
  if (context.source == InputSource::line) {
    if (context.position >= context.line.size()) return endOfInput;
    return static_cast<unsigned char>(context.line[context.position++]);
  }
  if (context.returnedCount > 0) return context.returned[--context.returnedCount];
  return readStreamByte();
}

void pushBackInputChar(int ch) {
  if (ch == endOfInput) return;
  if (context.source == InputSource::line) {
    if (context.position > 0) --context.position;
    return;
  }
  if (context.returnedCount < sizeof context.returned) {
    context.returned[context.returnedCount++] = static_cast<unsigned char>(ch);
  }
}

// Takes one field from the source: leading blanks and tabs are skipped,
// quotes group, and the field ends at an unquoted blank, tab or comma, a
// line end, the end of input or after MaxNumericFieldLength bytes. A '.',
// 'e' or 'd' before any '&' makes it fractional.
NumericField readNumericField() {
  FieldInProgress taken;
  int ch = nextInputChar();
  while (isBlankOrTab(ch)) ch = nextInputChar();
  if (ch == endOfInput) {
    endAtEndOfInput(taken);
    return taken.field;
  }
  for (;;) {
    const FieldStep step = actOn(taken, ch);
    if (step == FieldStep::finished) break;
    if (step == FieldStep::trailingStep) {
      finishAfterField(ch);
      break;
    }
    ch = nextInputChar();
    if (ch == endOfInput) {
      endAtEndOfInput(taken);
      break;
    }
    if (taken.field.length == MaxNumericFieldLength) {
      finishAfterField(ch);
      break;
    }
  }
  return taken.field;
}

std::int32_t readEnteredNumber(std::string_view prompt) {
  beginInput(prompt);
  const NumericField field = readNumericField();
  const std::int32_t number = field.isFractional ? parseFractionalField(field.bytes, field.length)
                                                 : parseIntegerField(field.bytes, field.length);
  setLastError(ErrNone);
  return number;
}

}  // namespace quorvane
