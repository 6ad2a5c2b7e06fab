#include "recording_window.h"

#include "host/messages.h"
#include "hosts/sdl/sdl_window.h"
#include "machine/message_box.h"

namespace testing_support {
namespace {

std::vector<ShownMessage> messages;
int destroyRequests = 0;
platform::Window window;

void Record(const char* text, const char* caption) {
  messages.push_back({caption, text});
}

int32_t Procedure(WindowHandle, const platform::Message& message) {
  if (message.kind == platform::MessageKind::kDestroy) ++destroyRequests;
  return 0;
}

// Installed before any test runs, so no test can ever open a real box.
const bool hooked = [] {
  platform::SetMessageBoxHook(&Record);
  return true;
}();

}  // namespace

WindowHandle RecordingWindow() {
  return &window;
}
const std::vector<ShownMessage>& ShownMessages() {
  return messages;
}
int DestroyRequests() {
  return destroyRequests;
}

void ClearRecordedWindow() {
  platform::SetMessageBoxHook(&Record);
  messages.clear();
  destroyRequests = 0;
  window = platform::Window{};
  window.procedure = &Procedure;
}

}  // namespace testing_support
