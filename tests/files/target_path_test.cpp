#include "files/target_path.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvane {
namespace {

std::string joined(std::vector<std::string> arguments) {
  std::vector<char*> vector;
  for (auto& argument : arguments) vector.push_back(argument.data());
  vector.push_back(nullptr);
  captureArguments(static_cast<int>(arguments.size()), vector.data());
  return targetPath();
}

TEST(TargetPath, JoinsTheArgumentsAfterTheProgramNameWithSingleBlanks) {
  EXPECT_EQ(joined({"quorvane.exe"}), "");
  EXPECT_EQ(joined({}), "");
  EXPECT_EQ(joined({"quorvane.exe", R"(C:\My Game\RPG_RT.exe)"}), R"(C:\My Game\RPG_RT.exe)");
  EXPECT_EQ(joined({"quorvane.exe", R"(C:\My)", R"(Game\RPG_RT.exe)"}), R"(C:\My Game\RPG_RT.exe)");
  EXPECT_EQ(joined({"quorvane.exe", "a", "b"}), "a b");
  EXPECT_EQ(joined({"quorvane.exe", "", "x"}), " x");
  EXPECT_EQ(joined({"quorvane.exe", " lead", "trail "}), " lead trail ");
}

}  // namespace
}  // namespace quorvane
