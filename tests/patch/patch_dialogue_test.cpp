// The dialogue over a file in memory whose stream calls of one kind fail from
// some call on, as when a disk fills or a drive goes, or which another program
// shortens: whatever happens, "Successfully patched!" shows only once the six
// bytes are on the disk, no other byte of the file changes, and each kind of
// failure shows the user what became of the file.

#include "patch/patch_dialogue.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>

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

// What a run showed and left, in words, in a file of the build's own folder the
// test reads: "untrue" when what it showed is not so of the file, the messages it
// showed, and "fired" when the failure it was given came about.
const std::string outcomeFile = "quorvane-dialogue-outcome";

void report() {
  const platform::Stream& file = platform::memoryFile;
  std::string restored = file.bytes;  // the six places as they were
  for (const std::int32_t offset : row.offsets)
    if (std::size_t(offset) < restored.size()) restored[std::size_t(offset)] = 99;
  const std::string before = target(false);
  const bool untrue = (restored != before && restored != before.substr(0, 1000)) ||
                      (shown(messages::done) && file.onDisk != target(true));
  const bool fired =
      file.failing < platform::streamCalls && file.made[file.failing] >= file.failFrom;
  std::ofstream(outcomeFile) << (untrue ? "untrue " : "")
                             << (shown(messages::done) ? "patched " : "")
                             << (shown(messages::writeFailed) ? "refused " : "")
                             << (shown("Current value: 0") ? "read-zero " : "")
                             << (fired ? "fired" : "");
  std::_Exit(0);
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

// The run's outcome; none where this process does not run it (a child of the
// death tests on Windows runs the test again up to its own statement).
std::optional<std::string> run(int failing, int failFrom) {
  std::optional<std::string> outcome;
  std::ofstream(outcomeFile).close();  // no outcome of a run before
  EXPECT_EXIT(
      dialogue(failing, failFrom),
      [&outcome](int status) {
        std::ifstream in(outcomeFile);
        std::getline(in, outcome.emplace());
        return ::testing::ExitedWithCode(0)(status) && in.is_open();
      },
      "");
  return outcome;
}

TEST(PatchDialogueDeathTest, SaysTheTruthAboutTheFileWhicheverCallFails) {
  EXPECT_EQ(run(platform::streamCalls, 0).value_or("patched "), "patched ") << "a clean run";
  // Each kind fails from each of its calls on, in turn, up to more than a
  // clean run makes. A failed read shows as 0, any other failure as the
  // message that the file may be damaged.
  constexpr int calls = 16;
  for (int failing = 0; failing < platform::streamCalls; ++failing) {
    const std::string bites = failing == platform::read ? "read-zero" : "refused";
    bool bit = false;
    for (int failFrom = 1; failFrom <= calls; ++failFrom) {
      const std::optional<std::string> outcome = run(failing, failFrom);
      if (!outcome) continue;
      EXPECT_EQ(outcome->find("untrue"), std::string::npos)
          << failing << " failing from " << failFrom;
      EXPECT_FALSE(failFrom == calls && outcome->ends_with("fired")) << "more calls than tried";
      bit = bit || outcome->find(bites) != std::string::npos;
    }
    EXPECT_TRUE(bit) << "call " << failing << " never made the dialogue say so";
  }
}

}  // namespace
}  // namespace quorvane::testing
