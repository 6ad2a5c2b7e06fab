// The window's messages in the browser: posted messages first, then the page's events, which the
// HTML5 callbacks translate as they arrive into a small ring the loop drains one per pass.
#include <emscripten/html5.h>

#include <array>
#include <cstring>

#include "host/messages.h"
#include "hosts/web/page_glue.h"
#include "hosts/web/web_window.h"
#include "machine/message_queue.h"

namespace platform {
namespace {

constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;
constexpr const char* kCanvas = "#canvas";

// Enough for a burst of pointer moves within one frame; when full, the newest are dropped.
std::array<Message, 256> ring;
size_t ringHead = 0;
size_t ringCount = 0;
bool listening = false;

void Queue(const Message& message) {
  if (!listening || PageWindow() == nullptr || ringCount == ring.size()) return;
  ring[(ringHead + ringCount) % ring.size()] = message;
  ++ringCount;
}

bool Dequeue(Message* out) {
  if (ringCount == 0) return false;
  *out = ring[ringHead];
  ringHead = (ringHead + 1) % ring.size();
  --ringCount;
  return true;
}

// A browser's keyCode is the Windows virtual-key code for every key the game knows: letters,
// digits, F1-F12, the arrows, Space, Return, Escape, Backspace and Tab.
uint32_t VirtualKey(unsigned long keyCode) {
  if ((keyCode >= 0x41 && keyCode <= 0x5A) || (keyCode >= 0x30 && keyCode <= 0x39)) {
    return static_cast<uint32_t>(keyCode);
  }
  if (keyCode >= kKeyF1 && keyCode < kKeyF1 + 12) return static_cast<uint32_t>(keyCode);
  switch (keyCode) {
    case kKeyBackspace:
    case kKeyTab:
    case kKeyReturn:
    case kKeyEscape:
    case kKeySpace:
    case kKeyLeft:
    case kKeyUp:
    case kKeyRight:
    case kKeyDown:
      return static_cast<uint32_t>(keyCode);
    default:
      return 0;
  }
}

EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* event, void*) {
  const uint32_t code = VirtualKey(event->keyCode);
  if (code == 0) return EM_FALSE;
  // A button of the page that has the focus takes Space and Return itself (its click sends the
  // game what it stands for), and Tab moves the focus between them: those stay the page's.
  if (code == kKeyTab) return EM_FALSE;
  if ((code == kKeySpace || code == kKeyReturn) && skypop_page_control_focused()) return EM_FALSE;
  Queue(Message{type == EMSCRIPTEN_EVENT_KEYDOWN ? MessageKind::kKeyDown : MessageKind::kKeyUp,
                code, 0});
  // The page keeps its function keys (F11 goes full screen); the rest must not scroll it.
  return code < kKeyF1 ? EM_TRUE : EM_FALSE;
}

// After a touch the browser imitates a mouse (a move, a press and a release at the touch point);
// the touch itself has already reached the game (skypop_page_touch), so the imitation is dropped.
EM_BOOL OnMouseMove(int, const EmscriptenMouseEvent* event, void*) {
  if (skypop_pointer_is_touch()) return EM_FALSE;
  Queue(
      Message{MessageKind::kMouseMove, 0,
              skypop_picture_point(event->clientX, event->clientY, kPictureWidth, kPictureHeight)});
  return EM_FALSE;
}

// Presses count only on the picture (not on the page's buttons); releases anywhere, so that a
// button let go over the black bars does not stay held.
EM_BOOL OnMouseButton(int type, const EmscriptenMouseEvent* event, void*) {
  if (skypop_pointer_is_touch()) return EM_FALSE;
  const bool down = type == EMSCRIPTEN_EVENT_MOUSEDOWN;
  if (event->button == 0) {
    Queue(Message{down ? MessageKind::kLeftButtonDown : MessageKind::kLeftButtonUp, 0, 0});
  } else if (event->button == 2) {
    Queue(Message{down ? MessageKind::kRightButtonDown : MessageKind::kRightButtonUp, 0, 0});
  }
  return down ? EM_TRUE : EM_FALSE;
}

// Only the page's own focus counts: the focus moving between the picture and the page's buttons
// (a click, Tab, a button that hides) reaches the window's listener too, and is no focus lost.
EM_BOOL OnFocus(int type, const EmscriptenFocusEvent* event, void*) {
  if (std::strcmp(event->nodeName, "#window") != 0) return EM_FALSE;
  Queue(Message{MessageKind::kActivateApp, type == EMSCRIPTEN_EVENT_FOCUS ? 1u : 0u, 0});
  return EM_FALSE;
}

// A hidden tab is a minimised window: the game stops being the active application.
EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent* event, void*) {
  Queue(Message{MessageKind::kActivateApp, event->hidden ? 0u : 1u, 0});
  return EM_FALSE;
}

void SetCallbacks(bool on) {
  const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
  emscripten_set_keydown_callback(window, nullptr, EM_TRUE, on ? OnKey : nullptr);
  emscripten_set_keyup_callback(window, nullptr, EM_TRUE, on ? OnKey : nullptr);
  emscripten_set_mousemove_callback(window, nullptr, EM_TRUE, on ? OnMouseMove : nullptr);
  emscripten_set_mousedown_callback(kCanvas, nullptr, EM_TRUE, on ? OnMouseButton : nullptr);
  emscripten_set_mouseup_callback(window, nullptr, EM_TRUE, on ? OnMouseButton : nullptr);
  emscripten_set_focus_callback(window, nullptr, EM_TRUE, on ? OnFocus : nullptr);
  emscripten_set_blur_callback(window, nullptr, EM_TRUE, on ? OnFocus : nullptr);
  emscripten_set_visibilitychange_callback(nullptr, EM_TRUE, on ? OnVisibility : nullptr);
  skypop_listen_touch(on ? 1 : 0);
}

class PageMessageSource final : public MessageSource {
 public:
  bool PeekMessage(Message* out) override {
    if (TakePostedMessage(out)) return true;
    if (Dequeue(out)) return true;
    return listening && PollJoystick(out);
  }

  // A page may not block: the wait ends this animation frame's passes, and the next frame (or
  // the next event) comes back to the loop.
  void WaitMessage(uint32_t) override { NoteLoopWaiting(); }
};

PageMessageSource windowMessages;

}  // namespace

void ListenToPage() {
  if (listening) return;
  listening = true;
  SetCallbacks(true);
}

void StopListeningToPage() {
  if (!listening) return;
  SetCallbacks(false);
  listening = false;
  ringHead = 0;
  ringCount = 0;
}

MessageSource& WindowMessages() {
  return windowMessages;
}

}  // namespace platform

// A touch or pen on the picture steers the cross-hair as the mouse does: phase 0 puts it down
// (the cross-hair moves there, then the left button goes down), 1 moves it, 2 lifts it (the
// button goes up where it was lifted), 3 is a touch the browser took over (the button goes up).
// A tap's press and release come together; the frame loop holds the release for a tick.
extern "C" EMSCRIPTEN_KEEPALIVE void skypop_page_touch(int phase, double clientX, double clientY) {
  using platform::Message;
  using platform::MessageKind;
  if (phase != 3) {
    platform::Queue(Message{
        MessageKind::kMouseMove, 0,
        skypop_picture_point(clientX, clientY, platform::kPictureWidth, platform::kPictureHeight)});
  }
  if (phase == 0) platform::Queue(Message{MessageKind::kLeftButtonDown, 0, 0});
  if (phase >= 2) platform::Queue(Message{MessageKind::kLeftButtonUp, 0, 0});
}

// A key pressed and let go by one of the page's own buttons (Resume sends Space, End Escape),
// exactly as the keyboard would send it.
extern "C" EMSCRIPTEN_KEEPALIVE void skypop_page_press_key(int keyCode) {
  using platform::Message;
  using platform::MessageKind;
  const uint32_t code = platform::VirtualKey(static_cast<unsigned long>(keyCode));
  if (code == 0) return;
  platform::Queue(Message{MessageKind::kKeyDown, code, 0});
  platform::Queue(Message{MessageKind::kKeyUp, code, 0});
}
