// Shows the 8-bit picture on the page's canvas. Where the browser has WebGL the 8-bit pixels go up
// as they are, as a one-channel texture, with the palette as a 256 x 1 texture beside them, and
// the graphics chip looks each colour up (page_glue.js); a copy of 307 KB a frame and no work per
// pixel on the page's main thread. Elsewhere each frame is looked up into RGBA here and copied
// onto a 2D canvas. The page's style sheet scales the canvas crisp and 4:3, with black bars
// around it.
#include "host/presenter.h"

#include <array>
#include <cstring>
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
    const size_t size = static_cast<size_t>(width_) * static_cast<size_t>(height_);
    indexed_ = skypop_picture_open(width_, height_) != 0;
    if (indexed_) {
      indices_.assign(size, 0);  // only for a picture whose rows are not back to back
    } else {
      rgba_.assign(size, 0);
    }
    paletteShown_ = false;
    return true;
  }

  void Show(const uint8_t* pixels, int pitch, const uint32_t* argbLookup) override {
    // Both paths want bytes R, G, B, A: as little-endian words, ABGR, always opaque.
    for (size_t i = 0; i < lookup_.size(); ++i) {
      const uint32_t argb = argbLookup[i];
      lookup_[i] = 0xFF000000u | ((argb & 0xFFu) << 16) | (argb & 0xFF00u) | ((argb >> 16) & 0xFFu);
    }
    if (indexed_) {
      ShowIndexed(pixels, pitch);
      return;
    }
    if (rgba_.empty()) return;
    ConvertToArgb(pixels, pitch, width_, height_, lookup_.data(), rgba_.data(), width_);
    skypop_show_picture(reinterpret_cast<const uint8_t*>(rgba_.data()), width_, height_);
  }

 private:
  void ShowIndexed(const uint8_t* pixels, int pitch) {
    if (pitch != width_) {
      for (int y = 0; y < height_; ++y) {
        std::memcpy(indices_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_),
                    pixels + static_cast<ptrdiff_t>(y) * pitch, static_cast<size_t>(width_));
      }
      pixels = indices_.data();
    }
    // The palette goes up only when it changed (a fade changes it every frame, a wave seldom).
    const bool changed = !paletteShown_ || lookup_ != shownLookup_;
    if (changed) {
      shownLookup_ = lookup_;
      paletteShown_ = true;
    }
    skypop_show_indexed(pixels, width_, height_,
                        changed ? reinterpret_cast<const uint8_t*>(lookup_.data()) : nullptr);
  }

  std::array<uint32_t, 256> lookup_{};
  std::array<uint32_t, 256> shownLookup_{};
  bool paletteShown_ = false;
  bool indexed_ = false;  // WebGL looks the colours up
  std::vector<uint8_t> indices_;
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
