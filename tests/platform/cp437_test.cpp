// The code page 437 glyph table: every byte has its own printable glyph,
// and the way back from a glyph finds the byte again.

#include "platform/terminal/cp437.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvane::platform {
namespace {

TEST(Cp437Test, EveryByteButZeroComesBackFromItsGlyph) {
  for (unsigned byte = 1; byte < 256; ++byte) {
    const auto value = static_cast<std::uint8_t>(byte);
    EXPECT_EQ(cp437FromCodePoint(cp437Glyph(value)), value) << "byte " << byte;
  }
}

TEST(Cp437Test, ZeroShowsAsBlankAndTheBlankIsSpace) {
  EXPECT_EQ(cp437Glyph(0x00), U' ');
  EXPECT_EQ(cp437FromCodePoint(U' '), 0x20);
}

TEST(Cp437Test, NoGlyphIsAControlCharacter) {
  for (unsigned byte = 0; byte < 256; ++byte) {
    const char32_t glyph = cp437Glyph(static_cast<std::uint8_t>(byte));
    EXPECT_GE(glyph, U' ') << "byte " << byte;
    EXPECT_FALSE(glyph >= 0x7F && glyph <= 0x9F) << "byte " << byte;
  }
}

struct GlyphCase {
  std::uint8_t byte;
  char32_t glyph;
  const char* utf8;
};

class Cp437GlyphTest : public ::testing::TestWithParam<GlyphCase> {};

TEST_P(Cp437GlyphTest, ShowsTheGlyphInUtf8) {
  const GlyphCase& c = GetParam();
  EXPECT_EQ(cp437Glyph(c.byte), c.glyph);
  std::string out;
  appendGlyph(c.byte, out);
  EXPECT_EQ(out, c.utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, Cp437GlyphTest,
    ::testing::Values(GlyphCase{0x01, 0x263A, "\xE2\x98\xBA"},  // white smiling face
                      GlyphCase{0x07, 0x2022, "\xE2\x80\xA2"},  // bullet
                      GlyphCase{0x0A, 0x25D9, "\xE2\x97\x99"},  // inverse white circle
                      GlyphCase{0x0D, 0x266A, "\xE2\x99\xAA"},  // eighth note
                      GlyphCase{0x1B, 0x2190, "\xE2\x86\x90"},  // leftwards arrow
                      GlyphCase{0x1F, 0x25BC, "\xE2\x96\xBC"},  // down-pointing triangle
                      GlyphCase{0x41, U'A', "A"}, GlyphCase{0x7E, U'~', "~"},
                      GlyphCase{0x7F, 0x2302, "\xE2\x8C\x82"},  // house
                      GlyphCase{0x80, 0x00C7, "\xC3\x87"},      // C cedilla
                      GlyphCase{0x82, 0x00E9, "\xC3\xA9"},      // e acute
                      GlyphCase{0x9E, 0x20A7, "\xE2\x82\xA7"},  // peseta
                      GlyphCase{0xB0, 0x2591, "\xE2\x96\x91"},  // light shade
                      GlyphCase{0xC9, 0x2554, "\xE2\x95\x94"},  // double down and right
                      GlyphCase{0xDB, 0x2588, "\xE2\x96\x88"},  // full block
                      GlyphCase{0xE1, 0x00DF, "\xC3\x9F"},      // sharp s
                      GlyphCase{0xEA, 0x03A9, "\xCE\xA9"},      // omega
                      GlyphCase{0xF9, 0x2219, "\xE2\x88\x99"},  // bullet operator
                      GlyphCase{0xFA, 0x00B7, "\xC2\xB7"},      // middle dot
                      GlyphCase{0xFE, 0x25A0, "\xE2\x96\xA0"},  // black square
                      GlyphCase{0xFF, 0x00A0, "\xC2\xA0"}));    // no-break space

TEST(Cp437Test, NoByteReachesTheTerminalAsAControl) {
  for (unsigned byte = 0; byte < 256; ++byte) {
    std::string out;
    appendGlyph(static_cast<std::uint8_t>(byte), out);
    for (const char unit : out) {
      const auto value = static_cast<unsigned char>(unit);
      EXPECT_TRUE(value >= 0x20 && value != 0x7F) << "byte " << byte;
    }
  }
}

TEST(Cp437Test, CodePointsOutsideTheCodePageHaveNoByte) {
  EXPECT_FALSE(cp437FromCodePoint(0x20AC));   // euro sign
  EXPECT_FALSE(cp437FromCodePoint(0x00C0));   // A grave
  EXPECT_FALSE(cp437FromCodePoint(0x1F600));  // an emoji
  EXPECT_FALSE(cp437FromCodePoint(0x0007));   // a control character
}

TEST(Cp437Test, Utf8OfEveryLength) {
  std::string out;
  appendUtf8(U'$', out);
  appendUtf8(0x00A2, out);
  appendUtf8(0x20AC, out);
  appendUtf8(0x10348, out);
  EXPECT_EQ(out, "$\xC2\xA2\xE2\x82\xAC\xF0\x90\x8D\x88");
}

}  // namespace
}  // namespace quorvane::platform
