// The field conversions on hard cases, on every build (the Windows runtime's
// own conversion is neither used nor trusted): the same number whatever
// rounding mode the caller left.

#include "console/number_conversion.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cstring>

namespace quorvane {
namespace {

TEST(NumberConversion, HardCasesInEveryRoundingMode) {
  // (the field, the number): fractional fields round to the nearest, ties to
  // even, and give -32768 outside 16 bits; integral ones keep 32 bits
  // clang-format off
  const std::pair<const char*, std::int32_t> fractional[] = {
      {"0.5", 0}, {"1.5", 2}, {"2.5", 2}, {"-2.5", -2}, {"98.5", 98}, {"99.5", 100}, {"5e-1", 0},
      {"98.50000000000001e0", 99}, {"98.49999999999999", 98}, {".5e1", 5}, {"32767.49", 32767},
      {"32767.5", -32768}, {"-32767.5", -32768}, {"1e23", -32768}, {"1e400", -32768}, {"1e-400", 0}};
  const std::pair<const char*, std::int32_t> integral[] = {
      {"&H63", 99}, {"&h1e", 30}, {"&O143", 99}, {"&143", 99}, {"&B1100011", 99}, {"&b2", 0},
      {"&H", 0}, {"&H7FFFFFFF", 2147483647}, {"&HFFFFFFFF", -1}, {"&H100000063", 99},
      {"&O37777777777", -1}, {"4294967295", -1}, {"4294967296", -1}, {"2147483648", -2147483647 - 1},
      {"-4294967295", 1}, {"+50", 50}, {" 50", 50}, {"12abc", 12}, {"abc", 0}, {"", 0}};
  // clang-format on
  for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    std::fesetround(mode);
    for (const auto& [field, number] : fractional) {
      EXPECT_EQ(parseFractionalField(field, int(std::strlen(field))), number) << field << mode;
    }
    for (const auto& [field, number] : integral) {
      EXPECT_EQ(parseIntegerField(field, int(std::strlen(field))), number) << field << mode;
    }
  }
  std::fesetround(FE_TONEAREST);
}

}  // namespace
}  // namespace quorvane
