// The window's messages on SDL: posted messages first, then SDL's event queue, translated one
// event at a time into the few messages the game handles.
#include <SDL.h>

#include <algorithm>

#include "host/messages.h"
#include "hosts/sdl/sdl_joystick.h"
#include "hosts/sdl/sdl_messages.h"
#include "hosts/sdl/sdl_window.h"
#include "machine/message_queue.h"

namespace platform {
namespace {

// The picture is 640 x 480; a pointer over the black bars beside it reports positions outside
// (even negative ones), which the game must never see.
constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;

Message MouseMove(int x, int y) {
  const int cx = std::clamp(x, 0, kPictureWidth - 1);
  const int cy = std::clamp(y, 0, kPictureHeight - 1);
  return Message{MessageKind::kMouseMove, 0,
                 PackPosition(static_cast<uint32_t>(cx), static_cast<uint32_t>(cy))};
}

bool TranslateWindowEvent(const SDL_WindowEvent& event, Message* out) {
  switch (event.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_RESTORED:
      *out = Message{MessageKind::kActivateApp, 1, 0};
      return true;
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED:
      *out = Message{MessageKind::kActivateApp, 0, 0};
      return true;
    case SDL_WINDOWEVENT_CLOSE:
      *out = Message{MessageKind::kClose, 0, 0};
      return true;
    default:
      return false;
  }
}

bool TranslateKey(const SDL_KeyboardEvent& event, Message* out) {
  // Alt+F4 closes the window even where no window manager is there to turn it into a close.
  if (event.type == SDL_KEYDOWN && event.keysym.sym == SDLK_F4 && (event.keysym.mod & KMOD_ALT)) {
    *out = Message{MessageKind::kClose, 0, 0};
    return true;
  }
  if (HandlePlayerKey(event)) return false;
  const uint32_t code = VirtualKey(event.keysym.sym);
  if (code == 0) return false;
  *out = Message{event.type == SDL_KEYDOWN ? MessageKind::kKeyDown : MessageKind::kKeyUp, code, 0};
  return true;
}

bool TranslateMouseButton(const SDL_MouseButtonEvent& event, Message* out) {
  const bool down = event.type == SDL_MOUSEBUTTONDOWN;
  if (event.button == SDL_BUTTON_LEFT) {
    *out = Message{down ? MessageKind::kLeftButtonDown : MessageKind::kLeftButtonUp, 0, 0};
    return true;
  }
  if (event.button == SDL_BUTTON_RIGHT) {
    *out = Message{down ? MessageKind::kRightButtonDown : MessageKind::kRightButtonUp, 0, 0};
    return true;
  }
  return false;
}

class SdlMessageSource final : public MessageSource {
 public:
  bool PeekMessage(Message* out) override {
    if (TakePostedMessage(out)) return true;
    if (TakeCloseSignal()) {
      // A signal (the terminal gone, Ctrl+C, kill): close like the close button, saving the table.
      *out = Message{MessageKind::kClose, 0, 0};
      return true;
    }
    if (hasWaiting_) {
      *out = waiting_;
      hasWaiting_ = false;
      return true;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      if (TranslateEvent(event, out)) return true;
    }
    return false;
  }

  void WaitMessage(uint32_t timeoutMs) override {
    if (HasPostedMessage() || hasWaiting_) return;
    if (ScreenlessVideoDriver()) {
      // Such drivers cannot wake a waiting thread, so SDL would poll every millisecond; with no
      // keyboard or mouse behind them, sleeping until the tick loses nothing.
      SDL_Delay(timeoutMs);
      return;
    }
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, static_cast<int>(timeoutMs))) {
      hasWaiting_ = TranslateEvent(event, &waiting_);
    }
  }

 private:
  Message waiting_{};  // the event that ended a wait, already translated
  bool hasWaiting_ = false;
};

SdlMessageSource windowMessages;

}  // namespace

uint32_t VirtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint32_t>(key - SDLK_a) + 0x41;
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uint32_t>(key - SDLK_0) + 0x30;
  if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<uint32_t>(key - SDLK_F1) + kKeyF1;
  switch (key) {
    case SDLK_BACKSPACE:
      return kKeyBackspace;
    case SDLK_TAB:
      return kKeyTab;
    case SDLK_RETURN:
      return kKeyReturn;
    case SDLK_ESCAPE:
      return kKeyEscape;
    case SDLK_SPACE:
      return kKeySpace;
    case SDLK_LEFT:
      return kKeyLeft;
    case SDLK_UP:
      return kKeyUp;
    case SDLK_RIGHT:
      return kKeyRight;
    case SDLK_DOWN:
      return kKeyDown;
    default:
      return 0;
  }
}

bool TranslateEvent(const SDL_Event& event, Message* out) {
  switch (event.type) {
    case SDL_QUIT:
      // A signal or the session ending: close like the close button, so the table is saved.
      *out = Message{MessageKind::kClose, 0, 0};
      return true;
    case SDL_WINDOWEVENT:
      return TranslateWindowEvent(event.window, out);
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      return TranslateKey(event.key, out);
    case SDL_MOUSEMOTION:
      *out = MouseMove(event.motion.x, event.motion.y);
      return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      return TranslateMouseButton(event.button, out);
    default:
      return TranslateJoystickEvent(event, out);
  }
}

MessageSource& WindowMessages() {
  return windowMessages;
}

}  // namespace platform
