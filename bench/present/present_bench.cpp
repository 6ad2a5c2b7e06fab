// The presenter alone: opens the game's window full screen through the host interface and shows
// a 640 x 480 8-bit frame through a 256-entry palette, a new frame each time, as the game does
// 60 times a second. Prints the wall time of each Show: the mean, the median and the slowest.
// Usage: bench_present [FRAMES]   (on the desktop, SDL_RENDER_VSYNC=0 leaves out the vsync wait)
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "host/messages.h"
#include "host/presenter.h"
#include "host/window.h"
#include "machine/player_settings.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

int32_t IgnoreMessages(WindowHandle, const platform::Message&) {
  return 0;
}

void Pump() {
  platform::Message message;
  while (platform::WindowMessages().PeekMessage(&message)) {
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 600;
  platform::ApplyPlayerSettings(platform::PlayerSettings{});  // full screen
  WindowHandle window = platform::CreateGameWindow("SKYPOP FRENZY present bench", IgnoreMessages);
  platform::Presenter* presenter = nullptr;
  if (window == nullptr || !platform::OpenWindowPresenter(window, &presenter) ||
      presenter == nullptr) {
    std::fprintf(stderr, "bench_present: no window with a screen\n");
    return 1;
  }
  platform::ShowWindow(window);
  if (!presenter->EnterFullScreen() || !presenter->SetPictureSize(kWidth, kHeight) ||
      !presenter->CreatePicture()) {
    std::fprintf(stderr, "bench_present: the presenter refused the picture\n");
    return 1;
  }
  std::array<uint32_t, 256> palette{};
  for (uint32_t i = 0; i < 256; ++i) palette[i] = 0xFF000000u | i << 16 | (255 - i) << 8 | i / 2;
  std::vector<uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight);
  std::vector<double> costs;
  costs.reserve(static_cast<size_t>(frames));
  for (int frame = 0; frame < frames; ++frame) {
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        pixels[static_cast<size_t>(y) * kWidth + x] = static_cast<uint8_t>(x + y + frame);
      }
    }
    Pump();
    const auto start = std::chrono::steady_clock::now();
    presenter->Show(pixels.data(), kWidth, palette.data());
    const auto end = std::chrono::steady_clock::now();
    costs.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  platform::CloseWindowPresenter(presenter);
  platform::DestroyWindow(window);
  platform::ShutDownPlatform();

  double sum = 0;
  for (double cost : costs) sum += cost;
  std::sort(costs.begin(), costs.end());
  std::printf("present: %d frames of %d x %d: mean %.3f ms, median %.3f ms, slowest %.3f ms\n",
              frames, kWidth, kHeight, sum / frames, costs[costs.size() / 2], costs.back());
  return 0;
}
