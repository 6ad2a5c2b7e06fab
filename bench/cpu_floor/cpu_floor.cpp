// A bare SDL loop that does only what any 8-bit 640 x 480 game must: turn the frame through a
// 256-colour palette into a streaming texture and present it 60 times a second, sleeping between
// frames. Usage: cpu_floor [SECONDS]  (without SECONDS it runs until Escape or close).
#include <SDL.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr double kFrameMs = 1000.0 / 60.0;

std::array<uint8_t, kWidth * kHeight> frame;
std::array<uint32_t, 256> palette;

bool Quit() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT) return true;
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) return true;
  }
  return false;
}

void Present(SDL_Renderer* renderer, SDL_Texture* texture) {
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(texture, nullptr, &pixels, &pitch) == 0) {
    for (int y = 0; y < kHeight; ++y) {
      const uint8_t* in = frame.data() + y * kWidth;
      uint32_t* out = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) + y * pitch);
      for (int x = 0; x < kWidth; ++x) out[x] = palette[in[x]];
    }
    SDL_UnlockTexture(texture);
  }
  SDL_RenderClear(renderer);
  SDL_RenderCopy(renderer, texture, nullptr, nullptr);
  SDL_RenderPresent(renderer);
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 0.0;
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "cpu_floor: %s\n", SDL_GetError());
    return 1;
  }
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  SDL_Window* window =
      SDL_CreateWindow("CPU FLOOR", 0, 0, kWidth, kHeight, SDL_WINDOW_FULLSCREEN_DESKTOP);
  SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
  SDL_Texture* texture = renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                                      SDL_TEXTUREACCESS_STREAMING, kWidth, kHeight)
                                  : nullptr;
  if (texture == nullptr) {
    std::fprintf(stderr, "cpu_floor: %s\n", SDL_GetError());
    SDL_Quit();
    return 1;
  }
  SDL_RenderSetLogicalSize(renderer, kWidth, kHeight);
  SDL_ShowCursor(SDL_DISABLE);
  for (int i = 0; i < 256; ++i) {
    palette[static_cast<size_t>(i)] = 0xFF000000u | (static_cast<uint32_t>(i) << 16) |
                                      (static_cast<uint32_t>(255 - i) << 8) |
                                      static_cast<uint32_t>(i / 2);
  }
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>((i / kWidth) ^ i);

  const uint64_t start = SDL_GetTicks64();
  double next = static_cast<double>(start);
  uint32_t frames = 0;
  while (!Quit()) {
    if (seconds > 0 && static_cast<double>(SDL_GetTicks64() - start) >= seconds * 1000.0) break;
    frame[frames % frame.size()] ^= 0xFF;  // a picture that changes, as a game's does
    Present(renderer, texture);
    ++frames;
    next += kFrameMs;
    const double now = static_cast<double>(SDL_GetTicks64());
    if (next > now) {
      SDL_Delay(static_cast<uint32_t>(next - now));
    } else {
      next = now;  // fell behind: start counting again rather than racing to catch up
    }
  }
  std::printf("cpu_floor: %u frames in %.1f s\n", frames,
              static_cast<double>(SDL_GetTicks64() - start) / 1000.0);
  SDL_DestroyTexture(texture);
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
