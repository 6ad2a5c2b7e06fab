// Shows the 8-bit picture in the game's window: palette lookup into a streaming ARGB texture,
// then a crisp 4:3 fit at any window size (an exact integer scale as is, anything else through
// an integer prescale and a smooth fit), black bars around it.
#include "host/presenter.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "hosts/sdl/sdl_window.h"
#include "machine/player_settings.h"
#include "machine/video.h"

namespace platform {
namespace {

class SdlPresenter final : public Presenter {
 public:
  explicit SdlPresenter(Window* window) : window_(window) {}

  ~SdlPresenter() override {
    SDL_DelEventWatch(&SdlPresenter::Watch, this);
    DropTextures();
    if (window_->renderer != nullptr) SDL_DestroyRenderer(window_->renderer);
    window_->renderer = nullptr;
  }

  bool Open() {
    // Vsync only keeps presents tear-free; the game's speed comes from its own tick clock.
    SDL_Renderer* renderer = SDL_CreateRenderer(window_->sdl, -1, SDL_RENDERER_PRESENTVSYNC);
    if (renderer == nullptr) renderer = SDL_CreateRenderer(window_->sdl, -1, 0);
    if (renderer == nullptr) return false;
    window_->renderer = renderer;
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) == 0) {
      maxTexture_ = std::min(info.max_texture_width, info.max_texture_height);
      // The smooth fit is worth its cost only on a GPU: a software renderer would spend more on
      // the prescale and the filtered shrink than on the whole game, so it copies nearest-pixel.
      targetsWork_ = (info.flags & SDL_RENDERER_TARGETTEXTURE) != 0 &&
                     (info.flags & SDL_RENDERER_SOFTWARE) == 0;
    }
    SDL_AddEventWatch(&SdlPresenter::Watch, this);
    return true;
  }

  // The game asks for the whole screen; a player who chose the window keeps it.
  bool EnterFullScreen() override {
    if (!CurrentPlayerSettings().fullScreen) return true;
    if ((SDL_GetWindowFlags(window_->sdl) & SDL_WINDOW_FULLSCREEN) != 0) return true;
    return SetFullScreen(window_->sdl, true);
  }

  bool SetPictureSize(int width, int height) override {
    width_ = width;
    height_ = height;
    // Also makes mouse events arrive in picture pixels, whatever the window's size.
    return SDL_RenderSetLogicalSize(window_->renderer, width, height) == 0;
  }

  bool CreatePicture() override {
    DropTextures();
    picture_ = SDL_CreateTexture(window_->renderer, SDL_PIXELFORMAT_ARGB8888,
                                 SDL_TEXTUREACCESS_STREAMING, width_, height_);
    if (picture_ == nullptr) return false;
    SDL_SetTextureScaleMode(picture_, SDL_ScaleModeNearest);
    return true;
  }

  void Show(const uint8_t* pixels, int pitch, const uint32_t* argbLookup) override {
    if (toggleRequested_) ToggleFullScreen();
    if (deviceReset_) {
      deviceReset_ = false;
      if (!CreatePicture()) return;
    }
    if (picture_ == nullptr) return;
    void* out = nullptr;
    int outPitch = 0;
    if (SDL_LockTexture(picture_, nullptr, &out, &outPitch) != 0) return;
    ConvertToArgb(pixels, pitch, width_, height_, argbLookup, static_cast<uint32_t*>(out),
                  outPitch / 4);
    SDL_UnlockTexture(picture_);

    SDL_Renderer* renderer = window_->renderer;
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_Texture* prescaled = Prescaled();
    if (prescaled != nullptr && SDL_SetRenderTarget(renderer, prescaled) == 0) {
      SDL_RenderCopy(renderer, picture_, nullptr, nullptr);
      SDL_SetRenderTarget(renderer, nullptr);
      SDL_RenderCopy(renderer, prescaled, nullptr, nullptr);
    } else {
      SDL_RenderCopy(renderer, picture_, nullptr, nullptr);
    }
    SDL_RenderPresent(renderer);
  }

 private:
  // Runs inside SDL's event pump: only note what to do, the next present does it.
  static int Watch(void* self, SDL_Event* event) {
    auto* p = static_cast<SdlPresenter*>(self);
    if (event->type == SDL_KEYDOWN && event->key.repeat == 0 && TogglesFullScreen(event->key)) {
      p->toggleRequested_ = true;
    } else if (event->type == SDL_RENDER_DEVICE_RESET) {
      p->deviceReset_ = true;
    }
    return 1;
  }

  static bool TogglesFullScreen(const SDL_KeyboardEvent& key) {
    return key.keysym.sym == SDLK_F11 ||
           (key.keysym.sym == SDLK_RETURN && (key.keysym.mod & KMOD_ALT) != 0);
  }

  // Alt+Enter or F11: full screen, or a window of the largest whole multiple of the picture that
  // fits the desktop. The choice is the player's, kept for the next run.
  void ToggleFullScreen() {
    toggleRequested_ = false;
    const bool fullScreen = (SDL_GetWindowFlags(window_->sdl) & SDL_WINDOW_FULLSCREEN) == 0;
    if (!SetFullScreen(window_->sdl, fullScreen)) return;
    PlayerSettings settings = CurrentPlayerSettings();
    settings.fullScreen = fullScreen;
    ChangePlayerSettings(settings);
  }

  // The render target for the integer prescale, or null when the window shows the picture at an
  // exact integer scale (then the nearest-pixel copy is already crisp).
  SDL_Texture* Prescaled() {
    int outW = 0;
    int outH = 0;
    if (!targetsWork_ || SDL_GetRendererOutputSize(window_->renderer, &outW, &outH) != 0) {
      return nullptr;
    }
    const double fit =
        std::min(static_cast<double>(outW) / width_, static_cast<double>(outH) / height_);
    if (fit <= 0 || fit == std::floor(fit)) return nullptr;
    int factor = static_cast<int>(std::ceil(fit));
    while (factor > 1 && (width_ * factor > maxTexture_ || height_ * factor > maxTexture_)) {
      --factor;
    }
    if (factor != prescaleFactor_ || prescaled_ == nullptr) {
      if (prescaled_ != nullptr) SDL_DestroyTexture(prescaled_);
      prescaled_ = SDL_CreateTexture(window_->renderer, SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_TARGET, width_ * factor, height_ * factor);
      prescaleFactor_ = factor;
      if (prescaled_ != nullptr) SDL_SetTextureScaleMode(prescaled_, SDL_ScaleModeLinear);
    }
    return prescaled_;
  }

  void DropTextures() {
    if (picture_ != nullptr) SDL_DestroyTexture(picture_);
    if (prescaled_ != nullptr) SDL_DestroyTexture(prescaled_);
    picture_ = nullptr;
    prescaled_ = nullptr;
    prescaleFactor_ = 0;
  }

  Window* window_;
  SDL_Texture* picture_ = nullptr;
  SDL_Texture* prescaled_ = nullptr;
  int prescaleFactor_ = 0;
  int width_ = 640;
  int height_ = 480;
  int maxTexture_ = 4096;
  bool targetsWork_ = false;
  bool toggleRequested_ = false;
  bool deviceReset_ = false;
};

}  // namespace

bool OpenWindowPresenter(WindowHandle window, Presenter** out) {
  *out = nullptr;
  if (window == nullptr || window->sdl == nullptr) return true;
  auto* presenter = new SdlPresenter(window);
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
