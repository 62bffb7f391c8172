#pragma once
// The two conversions of an entered field to the entered number: the
// integral one (the radix forms and the decimal form) and the fractional
// one (a double rounded to an integer). Both read exactly length bytes.

#include <cstdint>

namespace quorvane {

std::int32_t parseIntegerField(const char* field, int length);
std::int32_t parseFractionalField(const char* field, int length);
// The double, correctly rounded (nearest, ties to even), of the longest
// prefix of the text that forms a number in C syntax ('.' as decimal
// point, decimal or 0x hexadecimal, inf, infinity, nan); 0 without one.
double parseLeadingDouble(const char* text, int length);

}  // namespace quorvane
