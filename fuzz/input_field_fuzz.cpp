// The input statement on arbitrary redirected input, checked field by field
// against a plain model of the field rules and the conversions, written
// here from the rules alone: its own field extraction, its own integral
// arithmetic, and the C library's strtod for the text-to-double step.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "console/console_output.h"
#include "console/input_field.h"
#include "fuzz_check.h"
#include "simulated_console.h"

namespace {

using quorvane::fuzzing::check;

struct ModelField {
  std::string bytes;
  bool fractional = false;
  bool endedBeforeField = false;
};

// The field rules over the whole input, one field per statement.
struct Model {
  std::string input;
  std::size_t at = 0;
  int held = -2;  // a byte given back to the stream, or -2 for none

  int next() {
    if (held != -2) {
      const int c = held;
      held = -2;
      return c;
    }
    return at < input.size() ? static_cast<unsigned char>(input[at++]) : -1;
  }
  void giveBack(int c) {
    if (c != -1) held = c;
  }
  void afterField(int c) {
    while (c == ' ' || c == '\t') c = next();
    if (c == '\r') {
      const int n = next();
      if (n != '\n') giveBack(n);
    } else if (c != '\n' && c != ',' && c != -1) {
      giveBack(c);
    }
  }
  ModelField field() {
    ModelField f;
    bool quoted = false;
    bool ampersand = false;
    int c = next();
    while (c == ' ' || c == '\t') c = next();
    for (;;) {
      if (c == -1) {
        f.endedBeforeField = f.bytes.empty();
        return f;
      }
      if (c == '"' && quoted) {
        quoted = false;
      } else if (c == '"' && f.bytes.empty()) {
        quoted = true;
      } else if ((c == ',' && !quoted) || c == '\n') {
        return f;
      } else if (c == '\r') {
        const int n = next();
        if (n != '\n') giveBack(n);
        return f;
      } else if ((c == ' ' || c == '\t') && !quoted) {
        afterField(c);
        return f;
      } else {
        if (c == '&') ampersand = true;
        if (!ampersand && (c == '.' || c == 'e' || c == 'E' || c == 'd' || c == 'D')) {
          f.fractional = true;
          if (c == 'd') c = 'e';
          if (c == 'D') c = 'E';
        }
        f.bytes += static_cast<char>(c);
      }
      c = next();
      if (c != -1 && f.bytes.size() == quorvane::MaxNumericFieldLength) {
        afterField(c);
        return f;
      }
    }
  }
};

int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

std::int32_t modelInteger(const std::string& field) {
  std::size_t i = 0;
  while (i < field.size() && field[i] == ' ') ++i;
  if (field.size() - i >= 2 && field[i] == '&') {
    const char form = field[i + 1];
    int radix = 8;
    i += 1;
    if (form == 'h' || form == 'H') radix = 16, i += 1;
    if (form == 'o' || form == 'O') i += 1;
    if (form == 'b' || form == 'B') radix = 2, i += 1;
    std::uint32_t value = 0;
    for (; i < field.size() && digitValue(field[i]) < radix; ++i) {
      value = value * static_cast<std::uint32_t>(radix) +
              static_cast<std::uint32_t>(digitValue(field[i]));
    }
    return static_cast<std::int32_t>(value);
  }
  while (i < field.size() && std::strchr(" \t\n\v\f\r", field[i]) != nullptr && field[i] != 0) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  unsigned __int128 magnitude = 0;
  bool huge = false;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + static_cast<unsigned>(field[i] - '0');
    if (magnitude > 0xFFFFFFFFu) huge = true, magnitude = 0x100000000u;
  }
  if (huge) return -1;
  const auto value = static_cast<std::uint32_t>(magnitude);
  return static_cast<std::int32_t>(negative ? 0u - value : value);
}

std::int32_t modelFraction(const std::string& field) {
  std::string text = field;
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  const double value = std::strtod(text.c_str() + i, nullptr);
  if (std::isnan(value) || std::isinf(value)) return -32768;
  double whole = std::floor(value);
  const double rest = value - whole;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  if (whole < -32768.0 || whole > 32767.0) return -32768;
  return static_cast<std::int32_t>(whole);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvane;
  testing::resetSimulatedConsole();
  resetConsoleState();
  inputContext() = InputContext{};
  testing::simulatedConsole().standardInput.assign(reinterpret_cast<const char*>(data), size);

  Model model{std::string(reinterpret_cast<const char*>(data), size)};
  for (;;) {
    const ModelField expected = model.field();
    beginInput("Enter new value: ");
    const NumericField field = readNumericField();
    check(std::string(field.bytes, static_cast<std::size_t>(field.length)) == expected.bytes,
          "field bytes");
    check(field.bytes[field.length] == 0, "terminating zero");
    check(field.isFractional == expected.fractional, "fractional flag");
    check(inputEndedBeforeField() == expected.endedBeforeField, "end of input");
    if (field.isFractional) {
      check(parseFractionalField(field.bytes, field.length) == modelFraction(expected.bytes),
            "fractional value");
    } else {
      check(parseIntegerField(field.bytes, field.length) == modelInteger(expected.bytes),
            "integral value");
    }
    // Every field takes at least one byte, so the end always comes.
    if (expected.endedBeforeField) break;
  }
  check(testing::simulatedConsole().standardOutput.empty(), "redirected input prints nothing");
  return 0;
}
