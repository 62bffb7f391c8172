// The dialogue over a file in memory whose stream calls of one kind fail from
// some call on, as when a disk fills or a drive goes, or which another program
// shortens: whatever happens, "Successfully patched!" shows only once the six
// bytes are on the disk, no other byte of the file changes, and each kind of
// failure shows the user what became of the file.

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

bool shown(std::string_view line) {
  return simulatedConsole.standardOutput.find(std::string(line) + "\r\n") != std::string::npos;
}

// What a run showed and left, as its exit code: whether what it showed is
// true, what it showed, and whether the failure it was given came about.
enum Outcome { untrue = 1, patched = 2, refused = 4, readZero = 8, fired = 16 };

void report() {
  const platform::Stream& file = platform::memoryFile;
  std::string restored = file.bytes;  // the six places as they were
  for (const std::int32_t offset : row.offsets) {
    if (std::size_t(offset) < restored.size()) restored[std::size_t(offset)] = 99;
  }
  const std::string before = target(false);
  const bool untrue = (restored != before && restored != before.substr(0, 1000)) ||
                      (shown(messages::done) && file.onDisk != target(true));
  std::_Exit(
      (untrue ? Outcome::untrue : 0) | (shown(messages::done) ? patched : 0) |
      (shown(messages::writeFailed) ? refused : 0) | (shown("Current value: 0") ? readZero : 0) |
      (file.failing < platform::streamCalls && file.made[file.failing] >= file.failFrom ? fired
                                                                                        : 0));
}

void dialogue(int failing, int failFrom) {
  platform::memoryFile = {target(false), target(false), "", 0, 0, failing, failFrom};
  simulatedConsole.standardInput = "50\n";
  static char name[] = "quorvane", path[] = "RPG_RT.exe";
  static char* arguments[] = {name, path};
  captureArguments(2, arguments);
  std::atexit(report);
  runtimeInit();
  std::atexit(runtimeExit);  // as the process entry does: it closes the file
  runPatchDialogue();
}

// The run's outcome; -1 where this process does not run it (a child of the
// death tests on Windows runs the test again up to its own statement).
int run(int failing, int failFrom) {
  int outcome = -1;
  EXPECT_EXIT(
      dialogue(failing, failFrom),
      [&outcome](int status) {
        for (int bits = 0; bits < 32; ++bits) {
          if (::testing::ExitedWithCode(bits)(status)) outcome = bits;
        }
        return outcome >= 0;
      },
      "");
  return outcome;
}

TEST(PatchDialogueDeathTest, SaysTheTruthAboutTheFileWhicheverCallFails) {
  if (const int clean = run(platform::streamCalls, 0); clean >= 0) {
    EXPECT_EQ(clean, patched);
  }
  // Each kind fails from each of its calls on, in turn, up to more than a
  // clean run makes. A failed read shows as 0, any other failure as the
  // message that the file may be damaged.
  constexpr int calls = 16;
  for (int failing = 0; failing < platform::streamCalls; ++failing) {
    const int bites = failing == platform::read ? readZero : refused;
    bool bit = false;
    for (int failFrom = 1; failFrom <= calls; ++failFrom) {
      const int outcome = run(failing, failFrom);
      if (outcome < 0) continue;
      EXPECT_FALSE(outcome & untrue) << failing << " failing from its call " << failFrom;
      EXPECT_FALSE(failFrom == calls && (outcome & fired)) << "more calls than tried: " << failing;
      bit = bit || (outcome & bites) != 0;
    }
    EXPECT_TRUE(bit) << "call " << failing << " never made the dialogue say so";
  }
}

}  // namespace
}  // namespace quorvane::testing
