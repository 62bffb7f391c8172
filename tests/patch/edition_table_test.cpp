#include "patch/edition_table.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(EditionTable, FindsARowOnlyByTheExactFullLength) {
  EXPECT_EQ(findEdition(727552), 0u);
  EXPECT_EQ(findEdition(955568), 1u);
  constexpr std::int64_t fourGiB = std::int64_t{1} << 32;
  for (std::int64_t length :
       {std::int64_t{727551}, std::int64_t{727553}, std::int64_t{0}, std::int64_t{-1},
        fourGiB + 727552, fourGiB + 955568, std::int64_t{955568} - fourGiB}) {
    EXPECT_FALSE(findEdition(length).has_value()) << length;
  }
}

TEST(EditionTable, RowsHoldTheKnownPlaces) {
  EXPECT_EQ(editionRow(0).offsets[0], 457985);
  EXPECT_EQ(editionRow(1).offsets[0], 598937);
  EXPECT_EQ(editionRow(0).offsets[5], 0x7C52D);
  EXPECT_EQ(editionRow(1).offsets[5], 0xA56E1);
  for (const EditionRow& row : EditionTable) {
    for (std::size_t i = 0; i < row.offsets.size(); ++i) {
      EXPECT_LT(row.offsets[i], row.length);
      if (i > 0) {
        EXPECT_LT(row.offsets[i - 1], row.offsets[i]);
      }
    }
  }
}

}  // namespace
}  // namespace quorvane
