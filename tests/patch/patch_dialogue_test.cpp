// The dialogue over a file in memory whose stream calls of one kind fail from
// some call on, as when a disk fills or a drive goes, or which another program
// shortens: whatever happens, "Successfully patched!" shows only once the six
// bytes are on the disk, no other byte of the file changes, and each kind of
// failure shows the user what became of the file.

#include "patch/patch_dialogue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

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

// At the child's end: whether what it showed is true, what it showed, and the
// calls of each kind it made.
void report() {
  const platform::Stream& file = platform::memoryFile;
  std::string restored = file.bytes;  // the six places as they were
  for (const std::int32_t offset : row.offsets) {
    if (std::size_t(offset) < restored.size()) restored[std::size_t(offset)] = 99;
  }
  const std::string before = target(false);
  const bool untrue = (restored != before && restored != before.substr(0, 1000)) ||
                      (shown(messages::done) && file.onDisk != target(true));
  std::fprintf(
      stderr, "%s%s%s%s;", untrue ? "untrue" : "true", shown(messages::done) ? " patched" : "",
      shown(messages::writeFailed) ? " refused" : "", shown("Current value: 0") ? " read 0" : "");
  for (const int made : file.made) std::fprintf(stderr, " %d", made);
}

void dialogue(int failing, int failFrom) {
  platform::memoryFile = {target(false), target(false), "", 0, 0, failing, failFrom};
  simulatedConsole.standardInput = "50\n";
  static char name[] = "quorvane", path[] = "RPG_RT.exe";
  static char* arguments[] = {name, path};
  captureArguments(2, arguments);
  std::atexit(report);
  runtimeInit();
  runPatchDialogue();
}

// The parent's copy of what the child wrote to its standard error.
struct Keep : ::testing::MatcherInterface<const std::string&> {
  explicit Keep(std::string& into) : said(into) {}
  bool MatchAndExplain(const std::string& text, ::testing::MatchResultListener*) const override {
    return said = text, true;
  }
  void DescribeTo(std::ostream*) const override {}
  std::string& said;
};

std::string run(int failing, int failFrom) {
  std::string said;
  EXPECT_EXIT(dialogue(failing, failFrom), ::testing::ExitedWithCode(0),
              ::testing::MakeMatcher(new Keep(said)));
  return said;
}

TEST(PatchDialogueDeathTest, SaysTheTruthAboutTheFileWhicheverCallFails) {
  const std::string clean = run(platform::streamCalls, 0);
  EXPECT_EQ(clean.substr(0, clean.find(';')), "true patched");
  std::istringstream calls(clean.substr(clean.find(';') + 1));
  int made[platform::streamCalls] = {};
  for (int& count : made) calls >> count;
  // Each kind fails from each of its calls on in turn; the other program
  // shortens the file once. A failed read shows as 0, any other failure in
  // writing as the message that the file may be damaged.
  for (int failing = 0; failing < platform::streamCalls; ++failing) {
    const bool shortens = failing == platform::shorten;
    const std::string bites = failing == platform::read ? " read 0;" : " refused";
    bool bit = false;
    for (int failFrom = 1; failFrom <= (shortens ? 1 : made[failing]); ++failFrom) {
      const std::string said = run(failing, failFrom);
      EXPECT_EQ(said.substr(0, 4), "true") << failing << " failing from its call " << failFrom;
      bit = bit || said.find(bites) != std::string::npos;
    }
    EXPECT_TRUE(bit) << "call " << failing << " never made the dialogue say so";
  }
}

}  // namespace
}  // namespace quorvane::testing
