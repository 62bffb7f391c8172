// The dialogue over a file in memory whose stream calls of one kind fail from
// some call on, as when a disk fills or a drive goes, or which another program
// shortens: whatever happens, "Successfully patched!" shows only once the six
// bytes are on the disk, and no other byte of the file changes.

#include "patch/patch_dialogue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "files/target_path.h"
#include "memory_streams.h"
#include "patch/edition_table.h"
#include "patch/messages.h"
#include "process/runtime.h"
#include "simulated_console.h"

namespace quorvane::testing {
namespace {

const EditionRow& row = editionRow(1);

std::string target(bool patched) {  // no byte 50 but at the six places once patched
  std::string bytes(std::size_t(row.length), '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(0x80 + i % 101);
  for (const std::int32_t offset : row.offsets) bytes[std::size_t(offset)] = patched ? 50 : 99;
  return bytes;
}

// At the child's end: whether what it showed is true, and whether it patched.
void report() {
  std::string restored = platform::memoryFile.bytes;  // the six places as they were
  for (const std::int32_t offset : row.offsets) {
    if (std::size_t(offset) < restored.size()) restored[std::size_t(offset)] = 99;
  }
  const std::string before = target(false);
  const bool patched = simulatedConsole.standardOutput.find(messages::done) != std::string::npos;
  const bool untrue = (restored != before && restored != before.substr(0, 1000)) ||
                      (patched && platform::memoryFile.onDisk != target(true));
  std::fprintf(stderr, "%s, %s", untrue ? "untrue" : "true", patched ? "patched" : "not patched");
}

void runDialogue(int failing, int failFrom) {
  platform::memoryFile = {target(false), target(false), 0, failing, failFrom};
  simulatedConsole.standardInput = "50\n";
  static char name[] = "quorvane", path[] = "RPG_RT.exe";
  static char* arguments[] = {name, path};
  captureArguments(2, arguments);
  std::atexit(report);
  runtimeInit();
  runPatchDialogue();
}

TEST(PatchDialogueDeathTest, ClaimsSuccessOnlyWithTheSixBytesOnTheDisk) {
  EXPECT_EXIT(runDialogue(platform::streamCalls, 0), ::testing::ExitedWithCode(0),
              "^true, patched$");
  for (int failing = 0; failing < platform::streamCalls; ++failing) {
    for (int failFrom = 1; failFrom <= 14; ++failFrom) {  // no kind is called 14 times
      EXPECT_EXIT(runDialogue(failing, failFrom), ::testing::ExitedWithCode(0), "^true, ")
          << "call " << failing << " failing from its " << failFrom << ". on";
    }
  }
}

}  // namespace
}  // namespace quorvane::testing
