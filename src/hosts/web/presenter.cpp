// Shows the 8-bit picture on the page's canvas: palette lookup into RGBA, then one copy onto the
// canvas. The page's style sheet scales the canvas crisp and 4:3, with black bars around it.
#include "host/presenter.h"

#include <array>
#include <vector>

#include "hosts/web/page_glue.h"
#include "hosts/web/web_window.h"
#include "machine/video.h"

namespace platform {
namespace {

class PagePresenter final : public Presenter {
 public:
  // The page is already as large as the browser lets it be; the full-screen button and F11
  // are the player's to press.
  bool EnterFullScreen() override { return true; }

  bool SetPictureSize(int width, int height) override {
    if (width <= 0 || height <= 0) return false;
    width_ = width;
    height_ = height;
    return true;
  }

  bool CreatePicture() override {
    rgba_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0);
    return true;
  }

  void Show(const uint8_t* pixels, int pitch, const uint32_t* argbLookup) override {
    if (rgba_.empty()) return;
    // The canvas wants bytes R, G, B, A: as little-endian words, ABGR, always opaque.
    for (size_t i = 0; i < lookup_.size(); ++i) {
      const uint32_t argb = argbLookup[i];
      lookup_[i] = 0xFF000000u | ((argb & 0xFFu) << 16) | (argb & 0xFF00u) | ((argb >> 16) & 0xFFu);
    }
    ConvertToArgb(pixels, pitch, width_, height_, lookup_.data(), rgba_.data(), width_);
    skypop_show_picture(reinterpret_cast<const uint8_t*>(rgba_.data()), width_, height_);
  }

 private:
  std::array<uint32_t, 256> lookup_{};
  std::vector<uint32_t> rgba_;
  int width_ = 640;
  int height_ = 480;
};

}  // namespace

bool OpenWindowPresenter(WindowHandle window, Presenter** out) {
  *out = nullptr;
  if (window == nullptr) return true;
  *out = new PagePresenter();
  return true;
}

void CloseWindowPresenter(Presenter* presenter) {
  delete presenter;
}

}  // namespace platform
