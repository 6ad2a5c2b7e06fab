// The desktop side of the browser tests: plays a script through the real game code headless and
// writes what the browser must reproduce. For every listed tick it writes the frame drawn after
// that tick as RGBA bytes (tick_<n>.rgba) and the state line (tick_<n>.txt); it also writes
// where every "aim" of the script put the pointer (aims.txt: tick x y), so that the browser can
// play the same script with real pointer and key events.
//
// Usage: web_reference_frames SCRIPT OUT_DIR TICKS [CHECK_TICK...]   (KIPO.INI is kept in OUT_DIR)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "display/display.h"
#include "display/sprite_table.h"
#include "game/frame.h"
#include "game_driver.h"
#include "machine/video.h"
#include "recording_window.h"
#include "state/input_state.h"

namespace {

bool WriteFrame(const std::string& path) {
  const uint8_t* pixels = platform::LastShownPixels();
  const uint32_t* palette = platform::LastShownPalette();
  if (pixels == nullptr || palette == nullptr) return false;
  std::string rgba(640 * 480 * 4, '\0');
  for (int i = 0; i < 640 * 480; ++i) {
    const uint32_t argb = palette[pixels[i]];
    rgba[4 * i] = static_cast<char>(argb >> 16);
    rgba[4 * i + 1] = static_cast<char>(argb >> 8);
    rgba[4 * i + 2] = static_cast<char>(argb);
    rgba[4 * i + 3] = static_cast<char>(0xFF);
  }
  std::ofstream(path, std::ios::binary) << rgba;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: web_reference_frames SCRIPT OUT_DIR TICKS [CHECK_TICK...]\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  std::stringstream text;
  text << in.rdbuf();
  const std::vector<ScriptStep> script = game_driver::ParseScript(text.str());
  const std::string out = argv[2];
  const int ticks = std::atoi(argv[3]);
  std::set<int> checks;
  for (int i = 4; i < argc; ++i) checks.insert(std::atoi(argv[i]));
  if (!in || ticks <= 0 || chdir(out.c_str()) != 0) {
    std::fprintf(stderr, "web_reference_frames: cannot read %s or enter %s\n", argv[1], argv[2]);
    return 1;
  }

  displayContext.spriteTable = kSpriteTable.data();
  displayContext.sheetName = "char";
  displayContext.sheetWidth = 512;
  displayContext.sheetHeight = 512;
  WindowHandle window = testing_support::RecordingWindow();
  if (OpenDisplay(window) == 0) {
    std::fprintf(stderr, "web_reference_frames: the display did not open\n");
    return 1;
  }
  game_driver::StartGame();

  std::ofstream aims("aims.txt");
  for (int tick = 0; tick < ticks; ++tick) {
    game_driver::Run(script, 1);
    for (const ScriptStep& step : script) {
      if (step.tick == tick && step.op == ScriptStep::Op::kAim) {
        aims << tick << " " << input.mouseX << " " << input.mouseY << "\n";
      }
    }
    DrawFrame(window);
    if (checks.count(tick) == 0) continue;
    const std::string name = "tick_" + std::to_string(tick);
    std::ofstream(name + ".txt") << game_driver::DumpLine(tick) << "\n";
    if (!WriteFrame(name + ".rgba")) {
      std::fprintf(stderr, "web_reference_frames: no frame after tick %d\n", tick);
      return 1;
    }
  }
  return 0;
}
