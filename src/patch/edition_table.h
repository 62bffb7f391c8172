#pragma once
// The two runtime builds the tool knows, told apart by their exact length,
// with the six places where each keeps the item limit.

#include <array>
#include <cstdint>
#include <optional>

namespace quorvane {

struct EditionRow {
  std::int32_t length;                  // exact length of RPG_RT.exe in bytes
  std::array<std::int32_t, 6> offsets;  // zero-based; the first is also where the limit is read
};

inline constexpr std::array<EditionRow, 2> EditionTable = {{
    // first known build, 727552 bytes
    {727552, {457985, 462711, 462738, 464015, 509085, 509229}},
    // second known build, 955568 bytes
    {955568, {598937, 603746, 603773, 605059, 677457, 677601}},
}};

// The row whose length equals the file's full 64-bit length, row 0 first.
std::optional<std::size_t> findEdition(std::int64_t fileLength);
const EditionRow& editionRow(std::size_t index);

}  // namespace quorvane
