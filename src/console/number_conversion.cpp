// Both conversions are exact and free of locale and floating-point
// environment, so that every build gives the same number for a field.

#include "console/number_conversion.h"

#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

namespace quorvane {

namespace {

// A read position in a field; every look stops at end.
struct Text {
  const char* at;
  const char* end;

  bool done() const { return at == end; }
  char peek() const { return done() ? '\0' : *at; }
  char peekAfter(std::ptrdiff_t n) const { return end - at > n ? at[n] : '\0'; }
};

bool isCWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// The value of c as a digit of radix 16 or below, or -1 when it is none.
int digitValue(char c, unsigned radix) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  return value >= 0 && static_cast<unsigned>(value) < radix ? value : -1;
}

void skipBlanks(Text& text) {
  while (!text.done() && *text.at == ' ') ++text.at;
}

void skipWhiteSpace(Text& text) {
  while (!text.done() && isCWhiteSpace(*text.at)) ++text.at;
}

// Takes an optional '+' or '-'; true for '-'.
bool takeSign(Text& text) {
  const char c = text.peek();
  if (c == '+' || c == '-') ++text.at;
  return c == '-';
}

// The digits of the radix that begin at text, accumulated modulo 2^32.
std::uint32_t wrappedRadixValue(Text text, unsigned radix) {
  std::uint32_t value = 0;
  for (; !text.done(); ++text.at) {
    const int digit = digitValue(*text.at, radix);
    if (digit < 0) break;
    value = value * radix + static_cast<std::uint32_t>(digit);
  }
  return value;
}

// The '&' forms: text stands on the '&' with at least one byte after it.
std::uint32_t ampersandValue(Text text) {
  const char selector = text.peekAfter(1);
  text.at += 2;
  switch (selector) {
    case 'H':
    case 'h':
      return wrappedRadixValue(text, 16);
    case 'O':
    case 'o':
      return wrappedRadixValue(text, 8);
    case 'B':
    case 'b':
      return wrappedRadixValue(text, 2);
    default:
      --text.at;  // the selector is already the first digit
      return wrappedRadixValue(text, 8);
  }
}

// The decimal form, read the way a base-10 strtoul into 32 bits reads it:
// white space, a sign, the longest digit run. A magnitude above 4294967295
// gives 4294967295; after a '-' it gives 4294967295 as well, as the C
// runtimes' strtoul does, rather than a negated value.
std::uint32_t unsignedDecimalValue(Text text) {
  constexpr std::uint64_t largest = std::numeric_limits<std::uint32_t>::max();
  skipWhiteSpace(text);
  const bool negative = takeSign(text);
  std::uint64_t magnitude = 0;
  for (; !text.done() && isDecimalDigit(*text.at); ++text.at) {
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(*text.at - '0');
    if (magnitude > largest) return static_cast<std::uint32_t>(largest);
  }
  const auto value = static_cast<std::uint32_t>(magnitude);
  return negative ? 0u - value : value;
}

// A decimal exponent of at most a few digits' worth: longer runs saturate,
// which keeps the meaning of any exponent a field can hold.
long saturatedExponent(Text& text) {
  constexpr long limit = 1'000'000;
  const bool negative = takeSign(text);
  long value = 0;
  for (; !text.done() && isDecimalDigit(*text.at); ++text.at) {
    if (value < limit) value = value * 10 + (*text.at - '0');
  }
  return negative ? -value : value;
}

// Whether an exponent (e/E or p/P, a sign, a digit) begins at text.
bool exponentFollows(const Text& text, char lower) {
  const char marker = text.peek();
  if (marker != lower && marker != lower - ('a' - 'A')) return false;
  const char next = text.peekAfter(1);
  return isDecimalDigit(next) ||
         ((next == '+' || next == '-') && isDecimalDigit(text.peekAfter(2)));
}

// Rounds a magnitude m × 2^exponent, with sticky set when nonzero bits lie
// below m, to the nearest double (ties to even), subnormals and overflow
// included. The rounding is done on integers; ldexp then only scales a
// value that it can represent exactly.
double roundBinary(std::uint64_t m, long exponent, bool sticky) {
  if (m == 0) return 0.0;
  long width = 0;
  for (std::uint64_t rest = m; rest != 0; rest >>= 1) ++width;
  // The exponents of the leading bit and of the last bit that is kept.
  const long top = exponent + width - 1;
  long lowest = top - 52 > -1074 ? top - 52 : -1074;
  const long dropped = lowest - exponent;
  std::uint64_t kept = 0;
  if (dropped <= 0) {
    kept = m << -dropped;
  } else if (dropped <= 64) {
    kept = dropped == 64 ? 0 : m >> dropped;
    const std::uint64_t rest = dropped == 64 ? m : m & ((std::uint64_t{1} << dropped) - 1);
    const std::uint64_t half = std::uint64_t{1} << (dropped - 1);
    if (rest > half || (rest == half && (sticky || (kept & 1) != 0))) ++kept;
  }  // beyond 64 dropped bits the value is below half of the smallest subnormal
  if (kept >> 53 != 0) {  // rounding carried into a new leading bit
    kept >>= 1;
    ++lowest;
  }
  if (lowest > 1023 - 52) return std::numeric_limits<double>::infinity();
  return std::ldexp(static_cast<double>(kept), static_cast<int>(lowest));
}

// The hexadecimal form after "0x": digits with at most one '.', then an
// optional p exponent. False when no digit is there.
bool hexMagnitude(Text scan, double& value) {
  std::uint64_t m = 0;
  long exponent = 0;
  bool sticky = false;
  bool seenPoint = false;
  bool seenDigit = false;
  for (; !scan.done(); ++scan.at) {
    if (*scan.at == '.' && !seenPoint) {
      seenPoint = true;
      continue;
    }
    const int digit = digitValue(*scan.at, 16);
    if (digit < 0) break;
    seenDigit = true;
    if (m >> 60 == 0) {
      m = m << 4 | static_cast<std::uint64_t>(digit);
      if (seenPoint) exponent -= 4;
    } else {
      sticky = sticky || digit != 0;
      if (!seenPoint) exponent += 4;
    }
  }
  if (!seenDigit) return false;
  if (exponentFollows(scan, 'p')) {
    ++scan.at;
    exponent += saturatedExponent(scan);
  }
  value = roundBinary(m, exponent, sticky);
  return true;
}

// Whether text begins with the word, in any letter case.
bool startsWithWord(Text text, const char* lowerWord) {
  for (; *lowerWord != '\0'; ++lowerWord, ++text.at) {
    const char c = text.peek();
    if (c != *lowerWord && c != *lowerWord - ('a' - 'A')) return false;
  }
  return true;
}

// For a decimal number [begin, end) that lies beyond the range of double:
// whether it is too large (true) or too small (false). The power of ten
// of its first nonzero digit tells.
bool decimalOverflows(const char* begin, const char* end) {
  Text text{begin, end};
  long order = 0;  // one above the power of ten of the first nonzero digit
  bool seenPoint = false;
  bool seenNonzero = false;
  for (; !text.done() && (isDecimalDigit(*text.at) || *text.at == '.'); ++text.at) {
    const bool zero = *text.at == '0';
    if (*text.at == '.') {
      seenPoint = true;
    } else if (!seenPoint && (seenNonzero || !zero)) {
      ++order;
    } else if (seenPoint && !seenNonzero && zero) {
      --order;
    }
    seenNonzero = seenNonzero || (isDecimalDigit(*text.at) && !zero);
  }
  if (exponentFollows(text, 'e')) {
    ++text.at;
    order += saturatedExponent(text);
  }
  return order > 0;
}

// The decimal form: digits with at most one '.' and an optional exponent,
// converted by from_chars, which knows no locale. Its quick path rounds in
// the current rounding mode, so it runs with rounding to nearest.
double decimalMagnitude(Text text) {
  const bool fractionOnly = text.peek() == '.' && isDecimalDigit(text.peekAfter(1));
  if (!isDecimalDigit(text.peek()) && !fractionOnly) return 0.0;
  double value = 0.0;
  const int savedRounding = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const auto [end, error] = std::from_chars(text.at, text.end, value, std::chars_format::general);
  std::fesetround(savedRounding);
  if (error == std::errc::result_out_of_range) {
    return decimalOverflows(text.at, end) ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return error == std::errc{} ? value : 0.0;
}

// The number after the sign. "0x" without a hexadecimal digit after it
// is the decimal 0 followed by other text.
double unsignedMagnitude(Text text) {
  double value = 0.0;
  const char x = text.peekAfter(1);
  if (text.peek() == '0' && (x == 'x' || x == 'X') &&
      hexMagnitude(Text{text.at + 2, text.end}, value)) {
    return value;
  }
  if (startsWithWord(text, "inf")) return std::numeric_limits<double>::infinity();
  if (startsWithWord(text, "nan")) return std::numeric_limits<double>::quiet_NaN();
  return decimalMagnitude(text);
}

// Rounds to nearest, ties to even, by exact steps; values that do not end
// in -32768..32767, infinities and NaNs give -32768.
std::int32_t nearestSmallInteger(double value) {
  constexpr std::int32_t outOfRange = -32768;
  const bool inRange = value > -32769.0 && value < 32768.0;  // false for a NaN
  if (!inRange) return outOfRange;
  const double below = std::floor(value);
  const double excess = value - below;
  const bool belowIsOdd = std::fmod(below, 2.0) != 0.0;
  const double rounded = excess > 0.5 || (excess == 0.5 && belowIsOdd) ? below + 1.0 : below;
  if (rounded < -32768.0 || rounded > 32767.0) return outOfRange;
  return static_cast<std::int32_t>(rounded);
}

}  // namespace

std::int32_t parseIntegerField(const char* field, int length) {
  Text text{field, field + length};
  skipBlanks(text);
  if (text.done()) return 0;
  const bool radixForm = *text.at == '&' && text.end - text.at >= 2;
  const std::uint32_t bits = radixForm ? ampersandValue(text) : unsignedDecimalValue(text);
  return static_cast<std::int32_t>(bits);
}

double parseLeadingDouble(const char* text, int length) {
  Text scan{text, text + length};
  skipWhiteSpace(scan);
  const bool negative = takeSign(scan);
  const double magnitude = unsignedMagnitude(scan);
  return negative ? -magnitude : magnitude;
}

std::int32_t parseFractionalField(const char* field, int length) {
  Text text{field, field + length};
  skipBlanks(text);
  return nearestSmallInteger(parseLeadingDouble(text.at, static_cast<int>(text.end - text.at)));
}

}  // namespace quorvane
