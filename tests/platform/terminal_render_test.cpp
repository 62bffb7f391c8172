// The bytes that mirror model changes onto the terminal. A small terminal
// that understands exactly the sequences the renderer may use plays them
// back; its screen must then show the model, glyph for glyph.

#include "platform/terminal/terminal_render.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/terminal/cp437.h"

namespace quorvane::platform {
namespace {

// A terminal with deferred wrap, no scrolling region and a scrollback.
// Any byte or sequence outside the renderer's set fails the test.
struct PlaybackTerminal {
  int width;
  int height;
  std::vector<char32_t> cells;
  std::vector<std::u32string> scrollback;
  int x = 0;
  int y = 0;
  bool wrapPending = false;
  bool cursorVisible = true;

  PlaybackTerminal(int w, int h) : width(w), height(h), cells(std::size_t(w * h), U' ') {}

  char32_t& at(int column, int row) { return cells[std::size_t(row * width + column)]; }

  std::u32string row(int r) {
    std::u32string text;
    for (int column = 0; column < width; ++column) text += at(column, r);
    return text;
  }

  void lineFeed() {
    wrapPending = false;
    if (y < height - 1) {
      ++y;
      return;
    }
    scrollback.push_back(row(0));
    cells.erase(cells.begin(), cells.begin() + width);
    cells.insert(cells.end(), std::size_t(width), U' ');
  }

  void print(char32_t glyph) {
    if (wrapPending) {
      x = 0;
      lineFeed();
    }
    at(x, y) = glyph;
    if (x == width - 1) {
      wrapPending = true;
    } else {
      ++x;
    }
  }

  void control(const std::string& parameters, char final) {
    if (final == 'H') {
      const std::size_t semicolon = parameters.find(';');
      ASSERT_NE(semicolon, std::string::npos) << parameters;
      const int row = std::stoi(parameters.substr(0, semicolon));
      const int column = std::stoi(parameters.substr(semicolon + 1));
      ASSERT_TRUE(row >= 1 && row <= height && column >= 1 && column <= width)
          << row << ";" << column;
      y = row - 1;
      x = column - 1;
      wrapPending = false;
    } else if (final == 'X') {
      const int count = std::stoi(parameters);
      ASSERT_GE(count, 1);
      ASSERT_LE(x + count, width) << "erases past the end of the row";
      for (int i = 0; i < count; ++i) at(x + i, y) = U' ';
    } else if (final == 'l' || final == 'h') {
      ASSERT_EQ(parameters, "?25");
      cursorVisible = final == 'h';
    } else {
      FAIL() << "unexpected sequence CSI " << parameters << final;
    }
  }

  void play(const std::string& bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
      const auto byte = static_cast<unsigned char>(bytes[i]);
      if (byte == 0x1B) {
        ASSERT_LT(i + 1, bytes.size());
        ASSERT_EQ(bytes[i + 1], '[');
        std::size_t end = i + 2;
        while (end < bytes.size() && (bytes[end] < 0x40 || bytes[end] > 0x7E)) ++end;
        ASSERT_LT(end, bytes.size());
        control(bytes.substr(i + 2, end - i - 2), bytes[end]);
        i = end + 1;
      } else if (byte == '\n') {
        lineFeed();
        ++i;
      } else {
        ASSERT_GE(byte, 0x20) << "control byte " << int{byte};
        ASSERT_NE(byte, 0x7F);
        // One UTF-8 character.
        const std::size_t length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
        ASSERT_LE(i + length, bytes.size());
        char32_t glyph = length == 1 ? byte : byte & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
          glyph = (glyph << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        }
        print(glyph);
        i += length;
      }
    }
  }
};

void expectShowsModel(PlaybackTerminal& terminal, const ScreenModel& screen) {
  for (int row = 0; row < screen.size.y; ++row) {
    for (int column = 0; column < screen.size.x; ++column) {
      const std::uint8_t byte =
          cellAt(screen, {static_cast<std::int16_t>(column), static_cast<std::int16_t>(row)}).byte;
      ASSERT_EQ(terminal.at(column, row), cp437Glyph(byte))
          << "cell " << column << "," << row << " byte " << int{byte};
    }
  }
  EXPECT_EQ(terminal.x, screen.cursor.x);
  EXPECT_EQ(terminal.y, screen.cursor.y);
  EXPECT_FALSE(terminal.wrapPending);
}

std::vector<CharCell> cellsOf(std::string_view text) {
  std::vector<CharCell> cells;
  for (const char c : text) cells.push_back({static_cast<std::uint8_t>(c), 0x07});
  return cells;
}

bool writeText(ScreenModel& screen, std::string_view text, int x, int y, std::string& out) {
  const std::vector<CharCell> cells = cellsOf(text);
  SmallRect target{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y),
                   static_cast<std::int16_t>(x + static_cast<int>(text.size()) - 1),
                   static_cast<std::int16_t>(y)};
  return renderWriteOutput(screen, cells.data(), {static_cast<std::int16_t>(text.size()), 1},
                           {0, 0}, target, out);
}

TEST(TerminalRenderTest, CursorPositionIsOneBasedRowThenColumn) {
  std::string out;
  appendCursorPosition({4, 2}, out);
  EXPECT_EQ(out, "\x1b[3;5H");
}

TEST(TerminalRenderTest, CursorVisibility) {
  std::string out;
  appendCursorVisibility(false, out);
  appendCursorVisibility(true, out);
  EXPECT_EQ(out, "\x1b[?25l\x1b[?25h");
}

TEST(TerminalRenderTest, WrittenCellsThenTheCursorPutBack) {
  ScreenModel screen = makeScreen({10, 4}, 4);
  screen.cursor = {0, 3};
  std::string out;
  ASSERT_TRUE(writeText(screen, "Hi", 2, 1, out));
  EXPECT_EQ(out, "\x1b[2;3HHi\x1b[4;1H");
}

TEST(TerminalRenderTest, ControlBytesAndHighBytesAreGlyphs) {
  ScreenModel screen = makeScreen({10, 4}, 4);
  std::string out;
  ASSERT_TRUE(writeText(screen, "\a\r\n\x1b\x82", 0, 0, out));
  EXPECT_EQ(out, "\x1b[1;1H\xE2\x80\xA2\xE2\x99\xAA\xE2\x97\x99\xE2\x86\x90\xC3\xA9\x1b[1;1H");
}

TEST(TerminalRenderTest, ABlankTailIsErased) {
  ScreenModel screen = makeScreen({10, 4}, 4);
  std::string out;
  ASSERT_TRUE(writeText(screen, "ab      ", 0, 0, out));
  EXPECT_EQ(out, "\x1b[1;1Hab\x1b[6X\x1b[1;1H");
  out.clear();
  ASSERT_TRUE(writeText(screen, "a ", 0, 1, out));
  EXPECT_EQ(out, "\x1b[2;1Ha \x1b[1;1H");
}

TEST(TerminalRenderTest, RowFillIsOneErase) {
  ScreenModel screen = makeScreen({10, 4}, 4);
  std::uint32_t filled = 0;
  std::string out;
  ASSERT_TRUE(renderFillCharacters(screen, ' ', 10, {0, 2}, filled, out));
  EXPECT_EQ(filled, 10u);
  EXPECT_EQ(out, "\x1b[3;1H\x1b[10X\x1b[1;1H");
}

TEST(TerminalRenderTest, FillAcrossRows) {
  ScreenModel screen = makeScreen({4, 3}, 3);
  std::uint32_t filled = 0;
  std::string out;
  ASSERT_TRUE(renderFillCharacters(screen, 'x', 6, {3, 0}, filled, out));
  EXPECT_EQ(filled, 6u);
  EXPECT_EQ(out, "\x1b[1;4Hx\x1b[2;1Hxxxx\x1b[3;1Hx\x1b[1;1H");
}

TEST(TerminalRenderTest, AttributeFillDrawsNothing) {
  ScreenModel screen = makeScreen({4, 3}, 3);
  std::uint32_t filled = 0;
  std::string out;
  ASSERT_TRUE(renderFillAttributes(screen, 0x1F, 4, {0, 1}, filled, out));
  EXPECT_EQ(filled, 4u);
  EXPECT_EQ(cellAt(screen, {0, 1}).attributes, 0x1F);
  EXPECT_TRUE(out.empty());
}

TEST(TerminalRenderTest, WholeBufferScrollIsLineFeedsOnTheBottomRow) {
  ScreenModel screen = makeScreen({10, 5}, 5);
  screen.cursor = {3, 4};
  std::string out;
  ASSERT_TRUE(renderScroll(screen, {0, 2, 9, 4}, {0, 0}, {' ', 0x07}, out));
  EXPECT_EQ(out, "\x1b[5;1H\n\n\x1b[5;4H");
}

TEST(TerminalRenderTest, ScrolledRowsGoToTheScrollback) {
  ScreenModel screen = makeScreen({6, 3}, 3);
  PlaybackTerminal terminal(6, 3);
  std::string out;
  ASSERT_TRUE(writeText(screen, "first", 0, 0, out));
  ASSERT_TRUE(writeText(screen, "second", 0, 1, out));
  ASSERT_TRUE(renderScroll(screen, {0, 1, 5, 2}, {0, 0}, {' ', 0x07}, out));
  terminal.play(out);
  ASSERT_EQ(terminal.scrollback.size(), 1u);
  EXPECT_EQ(terminal.scrollback[0], U"first ");
  expectShowsModel(terminal, screen);
}

TEST(TerminalRenderTest, WholeBufferScrollWithAVisibleFillDrawsTheNewRows) {
  ScreenModel screen = makeScreen({4, 3}, 3);
  PlaybackTerminal terminal(4, 3);
  std::string out;
  ASSERT_TRUE(renderScroll(screen, {0, 1, 3, 2}, {0, 0}, {'*', 0x07}, out));
  terminal.play(out);
  expectShowsModel(terminal, screen);
  EXPECT_EQ(terminal.row(2), U"****");
}

TEST(TerminalRenderTest, OtherScrollsRedrawSourceAndDestination) {
  ScreenModel screen = makeScreen({8, 4}, 4);
  PlaybackTerminal terminal(8, 4);
  std::string out;
  ASSERT_TRUE(writeText(screen, "abcdefgh", 0, 1, out));
  ASSERT_TRUE(writeText(screen, "ABCDEFGH", 0, 2, out));
  // Rows 1 to 2 of columns 2 to 5 move up one row within a region.
  ASSERT_TRUE(renderScroll(screen, {2, 1, 5, 2}, {2, 0}, {' ', 0x07}, out));
  terminal.play(out);
  expectShowsModel(terminal, screen);
  EXPECT_TRUE(terminal.scrollback.empty());
  EXPECT_EQ(terminal.row(0), U"  cdef  ");
  EXPECT_EQ(terminal.row(1), U"abCDEFgh");
  EXPECT_EQ(terminal.row(2), U"AB    GH");
}

TEST(TerminalRenderTest, RefusedCallsWriteNothing) {
  ScreenModel screen = makeScreen({8, 4}, 4);
  std::string out;
  EXPECT_FALSE(writeText(screen, "abc", 8, 0, out));
  EXPECT_FALSE(renderCursorPosition(screen, {8, 0}, out));
  EXPECT_FALSE(renderScroll(screen, {9, 9, 12, 12}, {0, 0}, {' ', 0x07}, out));
  std::uint32_t filled = 0;
  EXPECT_FALSE(renderFillCharacters(screen, ' ', 3, {0, 4}, filled, out));
  EXPECT_TRUE(out.empty());
}

TEST(TerminalRenderTest, TheBottomRightCellScrollsNothing) {
  ScreenModel screen = makeScreen({4, 2}, 2);
  PlaybackTerminal terminal(4, 2);
  std::string out;
  ASSERT_TRUE(writeText(screen, "wxyz", 0, 1, out));
  terminal.play(out);
  expectShowsModel(terminal, screen);
  EXPECT_TRUE(terminal.scrollback.empty());
}

// Random console calls, each played back at once: the terminal must show
// the model after every one of them.
TEST(TerminalRenderTest, RandomCallsKeepTheTerminalEqualToTheModel) {
  constexpr int width = 13;
  constexpr int height = 7;
  std::mt19937 random(437);
  const auto pick = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  const auto at = [](int x, int y) {
    return Coord{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)};
  };
  ScreenModel screen = makeScreen({width, height}, height);
  PlaybackTerminal terminal(width, height);
  for (int step = 0; step < 3000; ++step) {
    std::string out;
    switch (pick(0, 4)) {
      case 0: {
        std::vector<CharCell> cells(std::size_t(pick(1, width)));
        for (CharCell& c : cells)
          c = {static_cast<std::uint8_t>(pick(0, 3) == 0 ? 0x20 : pick(0, 255)), 7};
        SmallRect target{static_cast<std::int16_t>(pick(-2, width)),
                         static_cast<std::int16_t>(pick(0, height - 1)), 0, 0};
        target.right = static_cast<std::int16_t>(target.left + static_cast<int>(cells.size()) - 1);
        target.bottom = target.top;
        renderWriteOutput(screen, cells.data(), {static_cast<std::int16_t>(cells.size()), 1},
                          {0, 0}, target, out);
        break;
      }
      case 1: {
        const int rows = pick(1, height - 1);
        const std::uint8_t fill = pick(0, 3) == 0 ? static_cast<std::uint8_t>(pick(0, 255)) : 0x20;
        renderScroll(screen, {0, static_cast<std::int16_t>(rows), width - 1, height - 1}, {0, 0},
                     {fill, 7}, out);
        break;
      }
      case 2: {
        const SmallRect source{static_cast<std::int16_t>(pick(-1, width - 1)),
                               static_cast<std::int16_t>(pick(-1, height - 1)),
                               static_cast<std::int16_t>(pick(0, width)),
                               static_cast<std::int16_t>(pick(0, height))};
        renderScroll(screen, source, at(pick(-2, width), pick(-2, height)),
                     {static_cast<std::uint8_t>(pick(0, 255)), 7}, out);
        break;
      }
      case 3: {
        std::uint32_t filled = 0;
        renderFillCharacters(screen,
                             static_cast<std::uint8_t>(pick(0, 2) == 0 ? pick(0, 255) : 0x20),
                             static_cast<std::uint32_t>(pick(0, width * 2)),
                             at(pick(0, width - 1), pick(0, height - 1)), filled, out);
        break;
      }
      default:
        renderCursorPosition(screen, at(pick(0, width - 1), pick(0, height - 1)), out);
    }
    terminal.play(out);
    ASSERT_NO_FATAL_FAILURE(expectShowsModel(terminal, screen)) << "step " << step;
  }
}

}  // namespace
}  // namespace quorvane::platform
