// What shows the flipped picture: the window's renderer, or a headless stand-in that keeps the
// last frame. Only the video surfaces use it.
#pragma once

#include <cstdint>

#include "host/window_handle.h"

namespace platform {

class Presenter {
 public:
  virtual ~Presenter() = default;
  // Takes the whole screen; false when the window cannot be made full screen.
  virtual bool EnterFullScreen() = 0;
  // Fixes the picture size, so that any window size shows the whole picture in 4:3.
  virtual bool SetPictureSize(int width, int height) = 0;
  // Makes what a flip needs on the screen side (the picture's texture); false on failure.
  virtual bool CreatePicture() = 0;
  // Shows width x height pixels of 8-bit indices through a 256-entry ARGB lookup.
  virtual void Show(const uint8_t* pixels, int pitch, const uint32_t* argbLookup) = 0;
};

// The presenter of a real window into *out; *out stays null when the window has no screen (tests,
// tools), which means headless. False when the window has a screen but no renderer could be made.
bool OpenWindowPresenter(WindowHandle window, Presenter** out);
// Destroys a presenter OpenWindowPresenter made (the renderer with it); null is fine.
void CloseWindowPresenter(Presenter* presenter);

}  // namespace platform
