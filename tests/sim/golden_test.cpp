// Whole scripted games through the real game code, compared line by line with committed dumps.
// A change in behaviour shows up as a readable diff. To accept a deliberate change, rerun with
// SKYPOP_UPDATE_GOLDEN=1 in the environment, which rewrites the expected files in the source
// tree, and review the diff before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "game_driver.h"
#include "temp_dir.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs the script for the given number of ticks and checks the dump, with the high-score file
// left behind appended to it.
void CheckGolden(const std::string& name, int ticks) {
  const std::string dir = SKYPOP_GOLDEN_DIR;
  const std::string script = ReadFile(dir + "/" + name + ".script");
  ASSERT_FALSE(script.empty()) << "missing " << name << ".script";

  TempWorkingDir workDir;
  game_driver::StartGame();
  std::string dump;
  game_driver::Run(game_driver::ParseScript(script), ticks, &dump);
  dump += "KIPO.INI:\n" + ReadFile("KIPO.INI");

  const std::string expectedPath = dir + "/" + name + ".expected";
  const char* update = std::getenv("SKYPOP_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    std::ofstream(expectedPath, std::ios::binary) << dump;
    GTEST_SKIP() << "rewrote " << expectedPath;
  }
  const std::string expected = ReadFile(expectedPath);
  ASSERT_FALSE(expected.empty()) << "missing " << expectedPath
                                 << " (SKYPOP_UPDATE_GOLDEN=1 writes it)";
  if (dump == expected) return;
  std::istringstream actualLines(dump);
  std::istringstream expectedLines(expected);
  std::string a;
  std::string e;
  for (int line = 1;; ++line) {
    const bool moreA = static_cast<bool>(std::getline(actualLines, a));
    const bool moreE = static_cast<bool>(std::getline(expectedLines, e));
    if (!moreA && !moreE) break;
    if (!moreA || !moreE || a != e) {
      FAIL() << name << " differs first at line " << line << "\n  expected: " << e
             << "\n  actual:   " << a;
    }
  }
  FAIL() << name << " differs in line endings";
}

// Title, a click, a wave with pops in all three zones, a lost and regained focus with the pause,
// a song that ends, a rank, a name typed by mouse and keys, the board, GAME OVER, the title.
TEST(GoldenRunTest, WholeRankedGame) {
  CheckGolden("whole_game", 3600);
}

}  // namespace
