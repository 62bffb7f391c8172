#include "patch/edition_table.h"

namespace quorvane {

std::optional<std::size_t> findEdition(std::int64_t fileLength) {
  for (std::size_t index = 0; index < EditionTable.size(); ++index) {
    if (fileLength == static_cast<std::int64_t>(EditionTable[index].length)) return index;
  }
  return std::nullopt;
}

const EditionRow& editionRow(std::size_t index) { return EditionTable[index]; }

}  // namespace quorvane
