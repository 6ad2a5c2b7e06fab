#include "recording_window.h"

#include "platform/message_box.h"
#include "platform/window_destroy.h"

namespace testing_support {
namespace {

std::vector<ShownMessage> messages;
int destroyRequests = 0;

void Record(const char* text, const char* caption) {
  messages.push_back({caption, text});
}

// Installed before any test runs, so no test can ever open a real box.
const bool hooked = [] {
  platform::SetMessageBoxHook(&Record);
  return true;
}();

}  // namespace

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
}

}  // namespace testing_support

namespace platform {

void DestroyWindow(WindowHandle) {
  ++testing_support::destroyRequests;
}

}  // namespace platform
