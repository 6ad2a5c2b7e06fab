// The window's messages in the game's own terms: what the machine's events become, the queue the
// window procedure posts to, and where the frame loop takes its messages from.
#pragma once

#include <cstdint>

#include "platform/window_handle.h"

namespace platform {

enum class MessageKind : uint32_t {
  kDestroy,          // the window is going away (delivered at once by DestroyWindow)
  kActivateApp,      // wParam 1: the game became the active application; 0: it stopped being so
  kKeyDown,          // wParam: the key's virtual-key code
  kKeyUp,            // wParam: the key's virtual-key code
  kMouseMove,        // lParam: x in the low 16 bits, y in the high 16 bits, picture pixels
  kLeftButtonDown,   // the mouse buttons carry no position: the last move message has it
  kLeftButtonUp,     //
  kRightButtonDown,  //
  kRightButtonUp,    //
  kJoyMove,          // joystick 1 moved (or came or went): read it afresh
  kJoyButtonDown,    // a joystick 1 button went down: read it afresh
  kJoyButtonUp,      // a joystick 1 button went up: read it afresh
  kClose,            // the user asked to close the window (close button, Alt+F4, a signal)
  kQuit,             // the loop ends; wParam: the exit code
};

struct Message {
  MessageKind kind;
  uint32_t wParam;
  uint32_t lParam;
};

// Virtual-key codes carried by the keyboard messages (the letters and digits are their ASCII
// capitals).
constexpr uint32_t kKeyBackspace = 0x08;
constexpr uint32_t kKeyTab = 0x09;
constexpr uint32_t kKeyReturn = 0x0D;
constexpr uint32_t kKeyEscape = 0x1B;
constexpr uint32_t kKeySpace = 0x20;
constexpr uint32_t kKeyLeft = 0x25;
constexpr uint32_t kKeyUp = 0x26;
constexpr uint32_t kKeyRight = 0x27;
constexpr uint32_t kKeyDown = 0x28;
constexpr uint32_t kKeyX = 0x58;
constexpr uint32_t kKeyZ = 0x5A;
constexpr uint32_t kKeyF1 = 0x70;

// Packs a pointer position the way a mouse-move message carries it.
constexpr uint32_t PackPosition(uint32_t x, uint32_t y) {
  return (x & 0xFFFF) | (y << 16);
}

// Where the frame loop takes its messages from: the machine's event queue in the game, a
// script in the tests. Posted messages come out first.
class MessageSource {
 public:
  virtual ~MessageSource() = default;
  // Takes the next waiting message into *out without blocking; false when none waits.
  virtual bool PeekMessage(Message* out) = 0;
  // Blocks until a message may be waiting or timeoutMs milliseconds have passed.
  virtual void WaitMessage(uint32_t timeoutMs) = 0;
};

// The running game's message source (SDL events behind it).
MessageSource& WindowMessages();

// Queues a message for the window's loop; false when the queue is full.
bool PostMessage(WindowHandle window, const Message& message);
// Queues the quit message that ends the loop with exitCode.
void PostQuitMessage(int exitCode);
// Takes the oldest posted message into *out; false when none waits.
bool TakePostedMessage(Message* out);
// True while a posted message waits.
bool HasPostedMessage();
// Drops every posted message (tests).
void ResetPostedMessages();

// What happens to a message the window procedure leaves alone: close destroys the window,
// everything else is ignored. Returns 0.
int32_t DefWindowProc(WindowHandle window, const Message& message);

}  // namespace platform
