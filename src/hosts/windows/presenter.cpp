// Shows the 8-bit picture in the game's window with GDI: the indices go through the frame's
// palette into a 32-bit DIB (machine/video.h's ConvertToArgb), which StretchDIBits copies
// nearest-pixel into the largest 4:3 area of the window, with black bars around it. A 32-bit
// DIB is the screen's own format: measured under Wine it costs about half of what handing GDI an
// 8-bit DIB with a colour table does, conversion included. The last frame is kept, so a window
// uncovered or resized is repainted at once, even while the game stands still.
#include "host/presenter.h"

#include <vector>

#include "hosts/windows/windows_window.h"
#include "machine/player_settings.h"
#include "machine/video.h"

namespace platform {
namespace {

class GdiPresenter final : public Presenter {
 public:
  explicit GdiPresenter(Window* window) : window_(window) {}

  ~GdiPresenter() override {
    window_->repaint = nullptr;
    window_->presenter = nullptr;
    if (dc_ != nullptr) ReleaseDC(window_->hwnd, dc_);
  }

  bool Open() {
    dc_ = GetDC(window_->hwnd);
    if (dc_ == nullptr) return false;
    window_->repaint = &GdiPresenter::Repaint;
    window_->presenter = this;
    return true;
  }

  // The game asks for the whole screen; a player who chose the window keeps it.
  bool EnterFullScreen() override {
    if (CurrentPlayerSettings().fullScreen && !window_->fullScreen) SetFullScreen(window_, true);
    return true;
  }

  bool SetPictureSize(int width, int height) override {
    if (width <= 0 || height <= 0) return false;
    width_ = width;
    height_ = height;
    window_->pictureWidth = width;  // the mouse is given in these pixels
    window_->pictureHeight = height;
    return true;
  }

  bool CreatePicture() override {
    pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0xFF000000u);
    info_ = BITMAPINFO{};
    info_.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info_.bmiHeader.biWidth = width_;
    info_.bmiHeader.biHeight = -height_;  // top-down, as the game's rows are
    info_.bmiHeader.biPlanes = 1;
    info_.bmiHeader.biBitCount = 32;  // BGRA in memory: ARGB words, as ConvertToArgb writes them
    info_.bmiHeader.biCompression = BI_RGB;
    return true;
  }

  void Show(const uint8_t* pixels, int pitch, const uint32_t* argbLookup) override {
    if (pixels_.empty()) return;
    ConvertToArgb(pixels, pitch, width_, height_, argbLookup, pixels_.data(), width_);
    Draw();
  }

 private:
  static void Repaint(void* self) { static_cast<GdiPresenter*>(self)->Draw(); }

  void Draw() {
    RECT client;
    if (pixels_.empty() || !GetClientRect(window_->hwnd, &client)) return;
    const RECT area = PictureArea(client, width_, height_);
    // The bars: above and below, or left and right, of the picture.
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    const RECT bars[] = {{client.left, client.top, client.right, area.top},
                         {client.left, area.bottom, client.right, client.bottom},
                         {client.left, area.top, area.left, area.bottom},
                         {area.right, area.top, client.right, area.bottom}};
    for (const RECT& bar : bars) {
      if (bar.right > bar.left && bar.bottom > bar.top) FillRect(dc_, &bar, black);
    }
    // Nearest pixel: at a whole multiple every picture pixel is a crisp square block.
    SetStretchBltMode(dc_, COLORONCOLOR);
    StretchDIBits(dc_, area.left, area.top, area.right - area.left, area.bottom - area.top, 0, 0,
                  width_, height_, pixels_.data(), &info_, DIB_RGB_COLORS, SRCCOPY);
  }

  Window* window_;
  HDC dc_ = nullptr;
  int width_ = 640;
  int height_ = 480;
  std::vector<uint32_t> pixels_;  // the last frame, DIB rows
  BITMAPINFO info_{};
};

}  // namespace

bool OpenWindowPresenter(WindowHandle window, Presenter** out) {
  *out = nullptr;
  if (window == nullptr || window->hwnd == nullptr) return true;
  auto* presenter = new GdiPresenter(window);
  if (!presenter->Open()) {
    delete presenter;
    return false;
  }
  *out = presenter;
  return true;
}

void CloseWindowPresenter(Presenter* presenter) {
  delete presenter;
}

}  // namespace platform
