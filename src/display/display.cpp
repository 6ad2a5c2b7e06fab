#include "display/display.h"

#include "host/window.h"
#include "machine/message_box.h"

DisplayContext displayContext{};
int32_t keyIndex = 0;

namespace {

constexpr const char* kCaption = "DirectDraw Function";

}  // namespace

int DisplayFail(WindowHandle window, const char* text) {
  platform::MessageBox(window, text, kCaption);
  CloseDisplay();
  platform::DestroyWindow(window);
  return 0;
}

int OpenDisplay(WindowHandle window) {
  DisplayContext& dc = displayContext;
  // The renderer behind the window stands in for the display object.
  dc.directDraw = platform::CreateVideoDevice(window);
  if (dc.directDraw == nullptr) return DisplayFail(window, "ERROR DirectDraw Create");
  if (!platform::EnterFullScreen(dc.directDraw)) {
    return DisplayFail(window, "ERROR DirectDraw CooperativeLevel");
  }
  if (!platform::SetPictureMode(dc.directDraw, 640, 480, 8)) {
    return DisplayFail(window, "ERROR DirectDraw DisplayMode");
  }
  dc.primary = platform::CreateFlipChain(dc.directDraw);
  if (dc.primary == nullptr) return DisplayFail(window, "ERROR DirectDraw CreateSurface");
  dc.backBuffer = platform::BackBufferOf(dc.primary);
  if (dc.backBuffer == nullptr) return DisplayFail(window, "ERROR DirectDraw CreateBackBuffer");
  dc.sheet = platform::CreateOffscreenSurface(dc.directDraw, dc.sheetWidth, dc.sheetHeight);
  if (dc.sheet == nullptr) return DisplayFail(window, "ERROR DirectDraw OffScreen");
  if (LoadSheet(window, dc.sheet, dc.sheetName) == 0) {
    return DisplayFail(window, "ERROR Load BitMap");
  }
  platform::SurfaceLock lock{};
  if (platform::LockSurface(dc.sheet, &lock) != platform::kVideoOk) {
    return DisplayFail(window, "ERROR GetBG Color");
  }
  keyIndex = lock.pixels[0];
  platform::UnlockSurface(dc.sheet);
  platform::SetSourceColourKey(dc.sheet, keyIndex);
  return 1;
}

void CloseDisplay() {
  DisplayContext& dc = displayContext;
  if (dc.directDraw == nullptr) return;
  if (dc.palette != nullptr) {
    platform::ReleasePalette(dc.palette);
    dc.palette = nullptr;
  }
  if (dc.sheet != nullptr) {
    platform::ReleaseSurface(dc.sheet);
    dc.sheet = nullptr;
  }
  if (dc.primary != nullptr) {
    platform::ReleaseSurface(dc.primary);
    dc.primary = nullptr;
  }
  // The back buffer went with the primary; forget it so nothing draws into freed memory.
  dc.backBuffer = nullptr;
  platform::ReleaseDevice(dc.directDraw);
  dc.directDraw = nullptr;
}

int RestoreSurfaces(WindowHandle window) {
  DisplayContext& dc = displayContext;
  if (dc.primary == nullptr || dc.sheet == nullptr) return platform::kVideoFailed;
  const int primaryResult = platform::RestoreSurface(dc.primary);
  if (primaryResult != platform::kVideoOk) return primaryResult;
  const int sheetResult = platform::RestoreSurface(dc.sheet);
  if (sheetResult == platform::kVideoOk) LoadSheet(window, dc.sheet, dc.sheetName);
  return sheetResult;
}

void ResetDisplay() {
  CloseDisplay();
  displayContext = DisplayContext{};
  keyIndex = 0;
}
