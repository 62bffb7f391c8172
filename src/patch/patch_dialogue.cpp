#include "patch/patch_dialogue.h"

#include <charconv>
#include <string>

#include "console/console_output.h"
#include "console/input_field.h"
#include "console/keyboard.h"
#include "files/error_number.h"
#include "files/file_table.h"
#include "files/target_path.h"
#include "patch/edition_table.h"
#include "patch/messages.h"
#include "process/runtime.h"

namespace quorvane {

namespace {

[[noreturn]] void endWith(std::string_view message) {
  printLine(message);
  printLine(messages::anyKey);
  waitForKey();
  endProcess(0);
}

void printCurrentValue(ItemLimit limit) {
  char digits[8] = {};
  const auto end = std::to_chars(digits, digits + sizeof digits, int{limit}).ptr;
  printLine(std::string(messages::currentPrefix) + std::string(digits, end));
}

// Asks until an entered number lies in 1..99; no value when redirected
// input runs out first.
std::optional<ItemLimit> askForLimit() {
  for (;;) {
    const std::int32_t entered = readEnteredNumber(messages::prompt);
    if (entered >= 1 && entered <= 99) return static_cast<ItemLimit>(entered);
    if (inputEndedBeforeField()) return std::nullopt;
    printLine(messages::invalid);
  }
}

// Writes the limit at the six places and puts it on the disk. The file is
// measured again first: a file another program has shortened since the
// open would otherwise be extended by the writes.
bool writeLimit(const EditionRow& row, ItemLimit limit) {
  if (fileLength(targetFileNumber) != row.length) return false;
  for (const std::int32_t offset : row.offsets) {
    if (writeByteAt(targetFileNumber, std::int64_t{offset} + 1, static_cast<std::uint8_t>(limit)) !=
        ErrNone) {
      return false;
    }
  }
  return commitFile(targetFileNumber) == ErrNone;
}

}  // namespace

void runPatchDialogue() {
  printLine(messages::banner);
  printLine(messages::attribution);
  printEmptyLine();

  openBinary(targetFileNumber, targetPath());
  if (lastError() != ErrNone) endWith(messages::noFile);

  const std::optional<std::size_t> edition = findEdition(fileLength(targetFileNumber));
  if (!edition) endWith(messages::wrongBuild);
  const EditionRow& row = editionRow(*edition);

  std::uint8_t stored = 0;
  readByteAt(targetFileNumber, std::int64_t{row.offsets[0]} + 1, stored);
  printCurrentValue(static_cast<ItemLimit>(stored));

  if (fileAccess(targetFileNumber) != FileAccess::readWrite) endWith(messages::readOnly);

  const std::optional<ItemLimit> limit = askForLimit();
  if (!limit) endWith(messages::noValue);
  if (!writeLimit(row, *limit)) endWith(messages::writeFailed);
  endWith(messages::done);
}

}  // namespace quorvane
