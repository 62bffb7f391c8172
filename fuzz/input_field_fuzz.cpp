// The input statement on arbitrary redirected input, field by field, against a
// model written from the rules alone, with the C library's correctly rounded
// strtod for text to double. The seed inputs hold the cases worth keeping.

#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "console/console_output.h"
#include "console/input_field.h"
#include "console/number_conversion.h"
#include "fuzz_check.h"
#include "simulated_console.h"

namespace {

using quorvane::fuzzing::check;

// The field rules over the whole input, one field per statement.
struct Model {
  std::string input;
  std::size_t at = 0;
  int held = -2;  // a byte given back to the stream, or -2 for none
  std::string field;
  bool fractional = false;

  int next() {
    const int c = held != -2 ? held : at < input.size() ? std::uint8_t(input[at++]) : -1;
    held = -2;
    return c;
  }
  // After a carriage return a line feed is taken with it; else given back.
  void lineFeedAfterReturn() {
    if (const int c = next(); c != '\n' && c != -1) held = c;
  }
  // After the field: blanks and tabs, then one comma or line end, are taken.
  void afterField(int c) {
    while (c == ' ' || c == '\t') c = next();
    if (c == '\r') lineFeedAfterReturn();
    if (c != '\r' && c != '\n' && c != ',' && c != -1) held = c;
  }
  // The next field; false when the input ended before any byte of it.
  bool takeField() {
    field.clear();
    fractional = false;
    bool quoted = false, ampersand = false;
    int c = next();
    while (c == ' ' || c == '\t') c = next();
    for (; c != -1; c = next()) {
      if (c == '"' && (quoted || field.empty())) {
        quoted = !quoted;
      } else if ((c == ',' && !quoted) || c == '\n' || c == '\r') {
        if (c == '\r') lineFeedAfterReturn();
        return true;
      } else if ((c == ' ' || c == '\t') && !quoted) {
        afterField(c);
        return true;
      } else {
        ampersand = ampersand || c == '&';
        if (!ampersand && c != 0 && std::strchr(".eEdD", c) != nullptr) {
          fractional = true;
          c = c == 'd' ? 'e' : c == 'D' ? 'E' : c;
        }
        field += char(c);
        if (field.size() == quorvane::MaxNumericFieldLength) {
          if ((c = next()) != -1) afterField(c);
          return true;
        }
      }
    }
    return !field.empty();
  }
};

std::int32_t modelInteger(const std::string& field) {
  std::size_t i = field.find_first_not_of(' ');
  if (i == std::string::npos) return 0;
  if (field.size() - i >= 2 && field[i] == '&') {
    const int form = std::tolower(std::uint8_t(field[i + 1]));
    const std::uint32_t radix = form == 'h' ? 16 : form == 'b' ? 2 : 8;
    std::uint32_t value = 0;
    const char* digits = "0123456789abcdef";
    for (i += std::strchr("hob", form) != nullptr && form != 0 ? 2 : 1; i < field.size(); ++i) {
      const char* digit = std::strchr(digits, std::tolower(std::uint8_t(field[i])));
      if (field[i] == 0 || digit == nullptr || std::uint32_t(digit - digits) >= radix) break;
      value = value * radix + std::uint32_t(digit - digits);
    }
    return std::int32_t(value);
  }
  // Else the C library's decimal conversion, kept to 32 bits; beyond them, -1.
  const long long value = std::strtoll(field.c_str() + i, nullptr, 10);
  return value > 0xFFFFFFFFll || value < -0xFFFFFFFFll ? -1 : std::int32_t(std::uint32_t(value));
}

// Rounded to the nearest integer, ties to even; outside 16 bits, -32768.
std::int32_t modelFraction(double value) {
  const double whole = std::nearbyint(value);
  return std::isfinite(value) && whole >= -32768.0 && whole <= 32767.0 ? std::int32_t(whole)
                                                                       : -32768;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvane;
  testing::simulatedConsole = {};
  resetConsoleState();
  inputContext() = InputContext{};
  testing::simulatedConsole.standardInput.assign(reinterpret_cast<const char*>(data), size);
  Model model;
  model.input = testing::simulatedConsole.standardInput;
  for (bool more = true; more;) {
    more = model.takeField();
    beginInput("Enter new value: ");
    const NumericField field = readNumericField();
    check(std::string(field.bytes, std::size_t(field.length)) == model.field, "field bytes");
    check(field.bytes[field.length] == 0, "terminating zero");
    check(field.isFractional == model.fractional, "fractional flag");
    check(inputEndedBeforeField() == !more, "end of input");
    if (field.isFractional) {
      const double value = parseLeadingDouble(field.bytes, field.length);
      const double reference = std::strtod(field.bytes + std::strspn(field.bytes, " "), nullptr);
      // (glibc's strtod rounds some hexadecimal subnormals wrongly; they are
      // all 0 to the tool)
      check(value == reference || (std::isnan(value) && std::isnan(reference)) ||
                std::fabs(value) + std::fabs(reference) < 2 * DBL_MIN,
            "the double");
      check(parseFractionalField(field.bytes, field.length) == modelFraction(reference),
            "fractional value");
    } else {
      check(parseIntegerField(field.bytes, field.length) == modelInteger(model.field),
            "integral value");
    }
  }
  check(testing::simulatedConsole.standardOutput.empty(), "redirected input prints nothing");
  return 0;
}
