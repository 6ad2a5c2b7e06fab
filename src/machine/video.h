// The machine's picture: 8-bit surfaces in memory (a flip chain of a visible surface and one back
// buffer, and off-screen surfaces), a 256-entry palette, colour-keyed rectangle copies, colour
// fills and the flip that hands the visible surface to a presenter. Without a real window the
// presenter is headless and keeps the last flipped frame for tests.
#pragma once

#include <cstdint>

#include "host/window_handle.h"

namespace platform {

// Results of the surface operations.
constexpr int kVideoOk = 0;
constexpr int kVideoSurfaceLost = 1;  // the surface's memory is gone until RestoreSurface
constexpr int kVideoFailed = 2;       // any other refusal (bad rectangle, injected failure)

struct VideoDevice;
struct Surface;
struct Palette;

struct PaletteEntry {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
  uint8_t flags;
};

// Right and bottom are exclusive.
struct PixelRect {
  int left;
  int top;
  int right;
  int bottom;
};

// Direct access to a surface's pixels between LockSurface and UnlockSurface.
struct SurfaceLock {
  uint8_t* pixels;
  int pitch;
  int width;
  int height;
};

// Opens the one picture device for the window (headless without a real window); null on failure.
VideoDevice* CreateVideoDevice(WindowHandle window);
// Takes the whole screen for the window.
bool EnterFullScreen(VideoDevice* device);
// Fixes the picture the screen shows: width x height pixels of `bits` bits (only 8 is offered).
bool SetPictureMode(VideoDevice* device, int width, int height, int bits);
// The visible surface of the picture size, with one back buffer behind it; null on failure.
Surface* CreateFlipChain(VideoDevice* device);
// The back buffer behind a flip chain's visible surface; null for any other surface.
Surface* BackBufferOf(Surface* primary);
// An off-screen surface of the picture's pixel format; null on failure.
Surface* CreateOffscreenSurface(VideoDevice* device, int width, int height);
// A palette of 256 entries; null on failure.
Palette* CreatePalette(VideoDevice* device, const PaletteEntry* entries);
// Shows the visible surface through this palette from now on.
int AttachPalette(Surface* primary, Palette* palette);
// Drops the device (and the presenter behind it), a surface with its back buffer, a palette.
void ReleaseDevice(VideoDevice* device);
void ReleaseSurface(Surface* surface);
void ReleasePalette(Palette* palette);

// Gives direct access to the pixels.
int LockSurface(Surface* surface, SurfaceLock* lock);
// Ends the access LockSurface gave.
void UnlockSurface(Surface* surface);
// Pixels of this index in `surface` are left out whenever it is the source of a copy.
void SetSourceColourKey(Surface* surface, int index);
// Copies `from` of source to (x, y) of dest, skipping the source's key colour; both rectangles
// must lie inside their surfaces.
int KeyedCopy(Surface* dest, int x, int y, Surface* source, const PixelRect& from);
// Fills the part of `rect` that lies inside the surface with a palette index.
int ColourFill(Surface* dest, const PixelRect& rect, int colour);
// Swaps the back buffer to the front and presents it through the attached palette.
int Flip(Surface* primary);
// Gives a lost surface (with its back buffer) memory again; the contents are undefined after.
int RestoreSurface(Surface* surface);

// Turns 8-bit pixels into 32-bit ARGB through a 256-entry lookup; the presenters use it.
void ConvertToArgb(const uint8_t* pixels, int pitch, int width, int height, const uint32_t* lookup,
                   uint32_t* out, int outPitchPixels);

// ---- For tests ----

// The steps a test can make fail.
enum class VideoStep {
  kCreateDevice,
  kFullScreen,
  kPictureMode,
  kFlipChain,
  kBackBuffer,
  kOffscreen,
  kPalette,
  kAttachPalette,
  kLock,
  kRestore,
  kCopy,
  kFill,
  kFlip,
  kCount
};

// Makes `times` calls of a step fail (kVideoFailed, or null / false), after letting `after` calls
// through.
void FailVideoStep(VideoStep step, int times, int after = 0);
// How many times a step was called since the last ResetVideoTestState.
int VideoStepCalls(VideoStep step);
// Marks every live surface lost, as when another program took the screen.
void LoseAllSurfaces();
// Counts of live objects, to check that a close releases exactly what was made.
int LiveSurfaceCount();
int LivePaletteCount();
bool DeviceIsLive();
// The last frame a flip presented (640 x 480 indices, pitch 640) and its palette as ARGB;
// null before the first flip.
const uint8_t* LastShownPixels();
const uint32_t* LastShownPalette();
// How many flips reached the presenter.
int ShownFrameCount();
// Forgets the injected failures and the shown frame; releases nothing.
void ResetVideoTestState();

}  // namespace platform
