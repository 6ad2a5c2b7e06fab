// The posted-message queue of the game's one window. Posting happens on the window's thread only
// (the window procedure, the display's failure path), so it needs no lock.
#include "machine/message_queue.h"

#include <array>

#include "host/window.h"

namespace platform {
namespace {

// Only a close and a quit are ever posted in one pass; the room is generous.
constexpr uint32_t kPostedCapacity = 16;

std::array<Message, kPostedCapacity> posted{};
uint32_t postedHead = 0;  // index of the oldest posted message
uint32_t postedCount = 0;

bool Push(const Message& message) {
  if (postedCount == kPostedCapacity) return false;
  posted[(postedHead + postedCount) % kPostedCapacity] = message;
  ++postedCount;
  return true;
}

}  // namespace

bool PostMessage(WindowHandle, const Message& message) {
  return Push(message);
}

void PostQuitMessage(int exitCode) {
  // The quit must get through even if the queue were full, or the loop would never end: it
  // takes the place of the newest message.
  const Message quit{MessageKind::kQuit, static_cast<uint32_t>(exitCode), 0};
  if (!Push(quit)) posted[(postedHead + postedCount - 1) % kPostedCapacity] = quit;
}

bool TakePostedMessage(Message* out) {
  if (postedCount == 0) return false;
  *out = posted[postedHead];
  postedHead = (postedHead + 1) % kPostedCapacity;
  --postedCount;
  return true;
}

bool HasPostedMessage() {
  return postedCount != 0;
}

void ResetPostedMessages() {
  postedHead = 0;
  postedCount = 0;
}

int32_t DefWindowProc(WindowHandle window, const Message& message) {
  if (message.kind == MessageKind::kClose) DestroyWindow(window);
  return 0;
}

}  // namespace platform
