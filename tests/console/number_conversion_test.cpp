#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "console/input_field.h"

namespace quorvane {
namespace {

struct FieldCase {
  std::string_view text;
  std::int32_t number;
};

std::int32_t integral(std::string_view text) {
  return parseIntegerField(text.data(), static_cast<int>(text.size()));
}

std::int32_t fractional(std::string_view text) {
  return parseFractionalField(text.data(), static_cast<int>(text.size()));
}

double leadingDouble(std::string_view text) {
  return parseLeadingDouble(text.data(), static_cast<int>(text.size()));
}

TEST(IntegerField, RadixFormsWrapAndTakeNoSign) {
  const FieldCase cases[] = {
      {"&H63", 99},
      {"  &h63", 99},
      {"&O143", 99},
      {"&143", 99},
      {"&B1100011", 99},
      {"&", 0},
      {"&H", 0},
      {"&9", 0},
      {"&hg1", 0},
      {"&-5", 0},
      {"& 5", 0},
      {"&H100000063", 99},
      {"&HFFFFFFFF", -1},
      {"&h7fffffff", 2147483647},
      {"&H80000000", -2147483647 - 1},
      {"&O777777777777", -1},
      {"&B111111111111111111111111111111111", -1},
      {"&B100000000000000000000000000000000", 0},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(integral(c.text), c.number);
  }
}

TEST(IntegerField, DecimalReadsLikeThirtyTwoBitStrtoul) {
  const FieldCase cases[] = {
      {"   ", 0},
      {"+7", 7},
      {"-1", -1},
      {"+-5", 0},
      {"\t\n\v\f\r 42", 42},
      {" \t&H10", 0},  // only blanks come before the radix forms
      {"000000000000000000000000000042", 42},
      {"4294967295", -1},
      {"4294967296", -1},
      {"99999999999999999999", -1},
      {"-99999999999999999999", -1},
      {"-4294967295", 1},
      {"-2147483649", 2147483647},
      {"1000000000000000000000000000000000000000000000000000000000000000000", -1},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(integral(c.text), c.number);
  }
}

TEST(IntegerField, ReadsOnlyTheGivenLength) {
  EXPECT_EQ(parseIntegerField("123", 2), 12);
  EXPECT_EQ(parseIntegerField("&H1F", 3), 1);
  std::string withZero = "57";
  withZero[1] = '\0';
  EXPECT_EQ(parseIntegerField(withZero.c_str(), 2), 5);
}

TEST(FractionalField, RoundsToNearestEvenWithinSixteenBits) {
  const FieldCase cases[] = {
      {"2.5", 2},
      {".5", 0},
      {"-0.4", 0},
      {"-0.5", 0},
      {"-1.5", -2},
      {"-2.5", -2},
      {"0.6", 1},
      {"99.5", 100},
      {"5e", 5},
      {"7e+", 7},
      {"1e-1", 0},
      {"  +2.5", 2},
      {"\t3.5", 4},
      {"1.2.3", 1},
      {"32767.4", 32767},
      {"32766.5", 32766},
      {"-32767.5", -32768},
      {"-32768.4", -32768},
      {"-32768.5", -32768},
      {"1e5", -32768},
      {"1e400", -32768},
      {"-1e400", -32768},
      {"1e-400", 0},
      {"inf", -32768},
      {"-Infinity", -32768},
      {"NaN", -32768},
      {"nAnx", -32768},
      {"in", 0},
      {"--5", 0},
      {"-+5", 0},
      {".e1", 0},
      {".", 0},
      {"e5", 0},
      {"0x", 0},
      {"0xp1", 0},
      {"0x.8", 0},
      {"0x1.8", 2},
      {"0x3p-1", 2},
      {"0x5p-1", 2},
      {"0x1p", 1},
      {"-0x1.8p1", -3},
      {"0x1.00000000000008p-1", 0},
      {"0x1.000000000000080001p-1", 1},
      {"0x1.7ffffffffffff8p0", 2},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(fractional(c.text), c.number);
  }
}

TEST(FractionalField, ReadsOnlyTheGivenLength) {
  EXPECT_EQ(parseFractionalField("2.5", 1), 2);
  EXPECT_EQ(parseFractionalField("0.6", 2), 0);
  EXPECT_EQ(parseFractionalField("1e400", 3), 10000);
}

struct DoubleCase {
  std::string_view text;
  double value;
};

void expectSameDoubles(const DoubleCase* begin, const DoubleCase* end) {
  for (const DoubleCase* c = begin; c != end; ++c) {
    SCOPED_TRACE(c->text);
    const double got = leadingDouble(c->text);
    EXPECT_EQ(got, c->value);
    EXPECT_EQ(std::signbit(got), std::signbit(c->value));
  }
}

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double largest = std::numeric_limits<double>::max();
constexpr double smallestSubnormal = std::numeric_limits<double>::denorm_min();

TEST(LeadingDouble, HexadecimalIsExactlyRounded) {
  const DoubleCase cases[] = {
      {"0x1.fffffffffffff8p0", 2.0},  // a tie goes to the even neighbour
      {"0x1.fffffffffffff7ffp0", 0x1.fffffffffffffp0},
      {"0x1.00000000000018p0", 0x1.0000000000002p0},
      {"0x1.000000000000080000000000000000000000000000000001p0", 0x1.0000000000001p0},
      {"0X1P-1074", smallestSubnormal},
      {"0x1p-1075", 0.0},
      {"0x1.8p-1075", smallestSubnormal},
      {"0x1.00000000000000001p-1075", smallestSubnormal},
      {"0x8000000000000000p-1138", 0.0},
      {"0x8000000000000001p-1138", smallestSubnormal},
      {"0x0.00000000000018p-1022", 2 * smallestSubnormal},
      {"0x0.00000000000028p-1022", 2 * smallestSubnormal},
      {"0x0.fffffffffffff8p-1022", 0x1p-1022},
      {"0x1.fffffffffffffp1023", largest},
      {"0x1.fffffffffffff7fffp1023", largest},
      {"0x1.fffffffffffff8p1023", infinity},
      {"0x1p1024", infinity},
      {"-0x1p99999999999999999999", -infinity},
      {"0x1p-99999999999999999999", 0.0},
      {"-0x0p99999999", -0.0},
      {"0x1000000000000000000000000p-96", 1.0},
      {"0x.000000000000000000000001p96", 1.0},
      {"0x00000000000000000000000000000000000000000000000000000000000002", 2.0},
      {"0xA.8p+2", 42.0},
      {"0x1p+", 1.0},
      {"0x1.8.8", 1.5},
  };
  expectSameDoubles(std::begin(cases), std::end(cases));
}

TEST(LeadingDouble, DecimalIsCorrectlyRounded) {
  const DoubleCase cases[] = {
      {"0.1", 0x1.999999999999ap-4},
      {"1e23", 0x1.52d02c7e14af6p+76},
      {"9007199254740993", 0x1p53},
      {"9007199254740995", 0x1.0000000000002p53},
      {"2.2250738585072011e-308", 0x0.fffffffffffffp-1022},
      {"2.4703282292062327e-324", 0.0},
      {"2.4703282292062328e-324", smallestSubnormal},
      {"1.7976931348623157e308", largest},
      {"1.7976931348623159e308", infinity},
      {"-10000e305", -infinity},
      {"0.0000000001e309", 1e299},
      {"0.01e-322", 0.0},
      {"-100000e-330", -0.0},
      {"0e99999", 0.0},
      {" \t\n\v\f\r-1.25e+2x", -125.0},
      {"1d2", 1.0},
  };
  expectSameDoubles(std::begin(cases), std::end(cases));
  EXPECT_TRUE(std::isnan(leadingDouble("-nan")));
  EXPECT_EQ(leadingDouble("0." + std::string(700, '0') + "1e309"), 0.0);
}

TEST(LeadingDouble, RoundsToNearestInEveryRoundingMode) {
  const DoubleCase cases[] = {
      {"0.1", 0x1.999999999999ap-4},
      {"123.456", 0x1.edd2f1a9fbe77p+6},
      {"0x1.fffffffffffff7ffp0", 0x1.fffffffffffffp0},
      {"-0x1.fffffffffffff8p0", -2.0},
      {"0x1.00000000000000001p-1075", smallestSubnormal},
      {"0x1.fffffffffffff8p1023", infinity},
  };
  for (const int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    SCOPED_TRACE(mode);
    ASSERT_EQ(std::fesetround(mode), 0);
    expectSameDoubles(std::begin(cases), std::end(cases));
    EXPECT_EQ(fractional("2.5"), 2);
    EXPECT_EQ(fractional("-2.5"), -2);
    EXPECT_EQ(fractional("0.6"), 1);
    EXPECT_EQ(std::fegetround(), mode);
    std::fesetround(FE_TONEAREST);
  }
}

}  // namespace
}  // namespace quorvane
