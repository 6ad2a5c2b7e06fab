#include "machine/video.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "host/presenter.h"

namespace platform {

struct Palette {
  std::array<uint32_t, 256> argb;
};

struct Surface {
  int width = 0;
  int height = 0;
  std::unique_ptr<uint8_t[]> memory;
  uint8_t* pixels = nullptr;  // the flip swaps this pointer between the chain's two surfaces
  Surface* backBuffer = nullptr;
  bool isPrimary = false;
  bool lost = false;
  int key = -1;
  const Palette* palette = nullptr;
};

struct VideoDevice {
  Presenter* presenter = nullptr;  // null: headless
  int width = 640;
  int height = 480;
};

namespace {

constexpr int kMaxSurfaces = 8;
constexpr int kMaxPalettes = 4;
constexpr uint8_t kUndefinedContents = 0xCD;

// The headless presenter keeps the last frame, converted as a window would need it.
class HeadlessPresenter final : public Presenter {
 public:
  bool EnterFullScreen() override { return true; }
  bool SetPictureSize(int, int) override { return true; }
  bool CreatePicture() override { return true; }
  void Show(const uint8_t* pixels, int pitch, const uint32_t* argbLookup) override {
    for (int y = 0; y < 480; ++y) std::memcpy(&indices[y * 640], pixels + y * pitch, 640);
    std::copy(argbLookup, argbLookup + 256, lookup.begin());
    ConvertToArgb(pixels, pitch, 640, 480, argbLookup, argb.get(), 640);
    ++shownFrames;
  }

  std::unique_ptr<uint8_t[]> indicesStore = std::make_unique<uint8_t[]>(640 * 480);
  uint8_t* indices = indicesStore.get();
  std::unique_ptr<uint32_t[]> argb = std::make_unique<uint32_t[]>(640 * 480);
  std::array<uint32_t, 256> lookup{};
  int shownFrames = 0;
};

VideoDevice device;
bool deviceLive = false;
std::unique_ptr<HeadlessPresenter> headless;
std::array<Surface*, kMaxSurfaces> liveSurfaces{};
std::array<Palette*, kMaxPalettes> livePalettes{};
constexpr size_t kStepCount = static_cast<size_t>(VideoStep::kCount);
std::array<int, kStepCount> pendingFailures{};
std::array<int, kStepCount> passesBeforeFailure{};
std::array<int, kStepCount> stepCalls{};

bool Fails(VideoStep step) {
  const auto i = static_cast<size_t>(step);
  ++stepCalls[i];
  if (pendingFailures[i] <= 0) return false;
  if (passesBeforeFailure[i] > 0) {
    --passesBeforeFailure[i];
    return false;
  }
  --pendingFailures[i];
  return true;
}

Presenter* ActivePresenter() {
  if (device.presenter != nullptr) return device.presenter;
  return headless.get();
}

Surface* NewSurface(int width, int height) {
  auto it = std::find(liveSurfaces.begin(), liveSurfaces.end(), nullptr);
  if (it == liveSurfaces.end() || width <= 0 || height <= 0) return nullptr;
  auto* s = new Surface;
  s->width = width;
  s->height = height;
  s->memory = std::make_unique<uint8_t[]>(static_cast<size_t>(width) * height);
  s->pixels = s->memory.get();
  *it = s;
  return s;
}

void DropSurface(Surface* surface) {
  auto it = std::find(liveSurfaces.begin(), liveSurfaces.end(), surface);
  if (it != liveSurfaces.end()) *it = nullptr;
  delete surface;
}

// Copies one row of n pixels, leaving out those of the key index. Eight pixels at a time: a
// byte of the mask is 0xFF where the source pixel is not the key.
void KeyedRow(uint8_t* d, const uint8_t* s, int n, uint8_t key) {
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  constexpr uint64_t kHigh = 0x8080808080808080ull;
  const uint64_t keys = 0x0101010101010101ull * key;
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t sw;
    uint64_t dw;
    std::memcpy(&sw, s + i, 8);
    std::memcpy(&dw, d + i, 8);
    const uint64_t diff = sw ^ keys;
    const uint64_t differs = (((diff & kLow7) + kLow7) | diff) & kHigh;
    const uint64_t mask = (differs >> 7) * 0xFF;
    dw = (sw & mask) | (dw & ~mask);
    std::memcpy(d + i, &dw, 8);
  }
  for (; i < n; ++i) {
    if (s[i] != key) d[i] = s[i];
  }
}

bool RectInside(const PixelRect& r, const Surface* s) {
  return r.left >= 0 && r.top >= 0 && r.right <= s->width && r.bottom <= s->height &&
         r.left < r.right && r.top < r.bottom;
}

}  // namespace

VideoDevice* CreateVideoDevice(WindowHandle window) {
  if (deviceLive || Fails(VideoStep::kCreateDevice)) return nullptr;
  Presenter* presenter = nullptr;
  if (!OpenWindowPresenter(window, &presenter)) return nullptr;
  device = VideoDevice{};
  device.presenter = presenter;
  if (presenter == nullptr && !headless) headless = std::make_unique<HeadlessPresenter>();
  deviceLive = true;
  return &device;
}

bool EnterFullScreen(VideoDevice* d) {
  if (d == nullptr || Fails(VideoStep::kFullScreen)) return false;
  return ActivePresenter()->EnterFullScreen();
}

bool SetPictureMode(VideoDevice* d, int width, int height, int bits) {
  if (d == nullptr || Fails(VideoStep::kPictureMode)) return false;
  // The presenters show exactly one picture size; anything else is refused like a missing mode.
  if (width != 640 || height != 480 || bits != 8) return false;
  d->width = width;
  d->height = height;
  return ActivePresenter()->SetPictureSize(width, height);
}

Surface* CreateFlipChain(VideoDevice* d) {
  if (d == nullptr || Fails(VideoStep::kFlipChain)) return nullptr;
  if (!ActivePresenter()->CreatePicture()) return nullptr;
  Surface* primary = NewSurface(d->width, d->height);
  if (primary == nullptr) return nullptr;
  Surface* back = NewSurface(d->width, d->height);
  if (back == nullptr) {
    DropSurface(primary);
    return nullptr;
  }
  primary->isPrimary = true;
  primary->backBuffer = back;
  std::memset(primary->pixels, 0, static_cast<size_t>(d->width) * d->height);
  std::memset(back->pixels, 0, static_cast<size_t>(d->width) * d->height);
  return primary;
}

Surface* BackBufferOf(Surface* primary) {
  if (primary == nullptr || Fails(VideoStep::kBackBuffer)) return nullptr;
  return primary->backBuffer;
}

Surface* CreateOffscreenSurface(VideoDevice* d, int width, int height) {
  if (d == nullptr || Fails(VideoStep::kOffscreen)) return nullptr;
  return NewSurface(width, height);
}

Palette* CreatePalette(VideoDevice* d, const PaletteEntry* entries) {
  if (d == nullptr || entries == nullptr || Fails(VideoStep::kPalette)) return nullptr;
  auto it = std::find(livePalettes.begin(), livePalettes.end(), nullptr);
  if (it == livePalettes.end()) return nullptr;
  auto* p = new Palette;
  for (size_t i = 0; i < 256; ++i) {
    p->argb[i] = 0xFF000000u | (uint32_t{entries[i].red} << 16) |
                 (uint32_t{entries[i].green} << 8) | entries[i].blue;
  }
  *it = p;
  return p;
}

int AttachPalette(Surface* primary, Palette* palette) {
  if (primary == nullptr || !primary->isPrimary || Fails(VideoStep::kAttachPalette)) {
    return kVideoFailed;
  }
  primary->palette = palette;
  return kVideoOk;
}

void ReleaseDevice(VideoDevice* d) {
  if (d == nullptr || !deviceLive) return;
  CloseWindowPresenter(d->presenter);
  d->presenter = nullptr;
  deviceLive = false;
}

void ReleaseSurface(Surface* surface) {
  if (surface == nullptr) return;
  if (surface->backBuffer != nullptr) DropSurface(surface->backBuffer);
  DropSurface(surface);
}

void ReleasePalette(Palette* palette) {
  if (palette == nullptr) return;
  for (Surface* s : liveSurfaces) {
    if (s != nullptr && s->palette == palette) s->palette = nullptr;
  }
  auto it = std::find(livePalettes.begin(), livePalettes.end(), palette);
  if (it != livePalettes.end()) *it = nullptr;
  delete palette;
}

int LockSurface(Surface* surface, SurfaceLock* lock) {
  if (surface == nullptr || lock == nullptr || Fails(VideoStep::kLock)) return kVideoFailed;
  if (surface->lost) return kVideoSurfaceLost;
  *lock = SurfaceLock{surface->pixels, surface->width, surface->width, surface->height};
  return kVideoOk;
}

void UnlockSurface(Surface*) {}

void SetSourceColourKey(Surface* surface, int index) {
  if (surface != nullptr) surface->key = index & 0xFF;
}

int KeyedCopy(Surface* dest, int x, int y, Surface* source, const PixelRect& from) {
  if (dest == nullptr || source == nullptr) return kVideoFailed;
  if (dest->lost || source->lost) return kVideoSurfaceLost;
  if (Fails(VideoStep::kCopy)) return kVideoFailed;
  const int w = from.right - from.left;
  const int h = from.bottom - from.top;
  if (!RectInside(from, source) || !RectInside(PixelRect{x, y, x + w, y + h}, dest)) {
    return kVideoFailed;
  }
  const uint8_t* src =
      source->pixels + static_cast<ptrdiff_t>(from.top) * source->width + from.left;
  uint8_t* dst = dest->pixels + static_cast<ptrdiff_t>(y) * dest->width + x;
  if (source->key < 0) {
    for (int row = 0; row < h; ++row) {
      std::memcpy(dst + row * dest->width, src + row * source->width, static_cast<size_t>(w));
    }
    return kVideoOk;
  }
  const auto key = static_cast<uint8_t>(source->key);
  for (int row = 0; row < h; ++row) {
    KeyedRow(dst + row * dest->width, src + row * source->width, w, key);
  }
  return kVideoOk;
}

int ColourFill(Surface* dest, const PixelRect& rect, int colour) {
  if (dest == nullptr) return kVideoFailed;
  if (dest->lost) return kVideoSurfaceLost;
  if (Fails(VideoStep::kFill)) return kVideoFailed;
  const int left = std::max(rect.left, 0);
  const int top = std::max(rect.top, 0);
  const int right = std::min(rect.right, dest->width);
  const int bottom = std::min(rect.bottom, dest->height);
  if (left >= right || top >= bottom) return kVideoOk;
  const auto value = static_cast<uint8_t>(colour);
  if (left == 0 && right == dest->width) {
    std::memset(dest->pixels + static_cast<ptrdiff_t>(top) * dest->width, value,
                static_cast<size_t>(bottom - top) * dest->width);
    return kVideoOk;
  }
  for (int y = top; y < bottom; ++y) {
    std::memset(dest->pixels + static_cast<ptrdiff_t>(y) * dest->width + left, value,
                static_cast<size_t>(right - left));
  }
  return kVideoOk;
}

int Flip(Surface* primary) {
  if (primary == nullptr || primary->backBuffer == nullptr) return kVideoFailed;
  if (primary->lost || primary->backBuffer->lost) return kVideoSurfaceLost;
  if (Fails(VideoStep::kFlip)) return kVideoFailed;
  std::swap(primary->pixels, primary->backBuffer->pixels);
  static const std::array<uint32_t, 256> kBlack = [] {
    std::array<uint32_t, 256> b{};
    b.fill(0xFF000000u);
    return b;
  }();
  const uint32_t* lookup =
      primary->palette != nullptr ? primary->palette->argb.data() : kBlack.data();
  if (deviceLive) ActivePresenter()->Show(primary->pixels, primary->width, lookup);
  return kVideoOk;
}

int RestoreSurface(Surface* surface) {
  if (surface == nullptr) return kVideoFailed;
  if (Fails(VideoStep::kRestore)) return kVideoFailed;
  const auto refill = [](Surface* s) {
    if (!s->lost) return;
    std::memset(s->pixels, kUndefinedContents, static_cast<size_t>(s->width) * s->height);
    s->lost = false;
  };
  refill(surface);
  if (surface->backBuffer != nullptr) refill(surface->backBuffer);
  return kVideoOk;
}

void ConvertToArgb(const uint8_t* pixels, int pitch, int width, int height, const uint32_t* lookup,
                   uint32_t* out, int outPitchPixels) {
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = pixels + static_cast<ptrdiff_t>(y) * pitch;
    uint32_t* dst = out + static_cast<ptrdiff_t>(y) * outPitchPixels;
    int x = 0;
    // Eight indices per load keeps the loop on the lookups rather than on byte loads.
    for (; x + 8 <= width; x += 8) {
      uint64_t eight;
      std::memcpy(&eight, src + x, 8);
      for (int k = 0; k < 8; ++k) dst[x + k] = lookup[(eight >> (8 * k)) & 0xFF];
    }
    for (; x < width; ++x) dst[x] = lookup[src[x]];
  }
}

void FailVideoStep(VideoStep step, int times, int after) {
  if (step == VideoStep::kCount) return;
  pendingFailures[static_cast<size_t>(step)] = times;
  passesBeforeFailure[static_cast<size_t>(step)] = after;
}

int VideoStepCalls(VideoStep step) {
  return step == VideoStep::kCount ? 0 : stepCalls[static_cast<size_t>(step)];
}

void LoseAllSurfaces() {
  for (Surface* s : liveSurfaces) {
    if (s != nullptr) s->lost = true;
  }
}

int LiveSurfaceCount() {
  return static_cast<int>(std::count_if(liveSurfaces.begin(), liveSurfaces.end(),
                                        [](const Surface* s) { return s != nullptr; }));
}

int LivePaletteCount() {
  return static_cast<int>(std::count_if(livePalettes.begin(), livePalettes.end(),
                                        [](const Palette* p) { return p != nullptr; }));
}

bool DeviceIsLive() {
  return deviceLive;
}

const uint8_t* LastShownPixels() {
  return headless && headless->shownFrames > 0 ? headless->indices : nullptr;
}

const uint32_t* LastShownPalette() {
  return headless && headless->shownFrames > 0 ? headless->lookup.data() : nullptr;
}

int ShownFrameCount() {
  return headless ? headless->shownFrames : 0;
}

void ResetVideoTestState() {
  pendingFailures.fill(0);
  passesBeforeFailure.fill(0);
  stepCalls.fill(0);
  if (headless) headless->shownFrames = 0;
}

}  // namespace platform
