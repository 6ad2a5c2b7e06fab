#include "recording_window.h"

#include "platform/message_box.h"
#include "platform/window_destroy.h"

namespace testing_support {
namespace {

std::vector<ShownMessage> messages;
int destroyRequests = 0;

}  // namespace

const std::vector<ShownMessage>& ShownMessages() {
  return messages;
}
int DestroyRequests() {
  return destroyRequests;
}
void ClearRecordedWindow() {
  messages.clear();
  destroyRequests = 0;
}

}  // namespace testing_support

namespace platform {

void ShowMessageBox(WindowHandle, const char* caption, const char* text) {
  testing_support::messages.push_back({caption, text});
}

void DestroyWindow(WindowHandle) {
  ++testing_support::destroyRequests;
}

}  // namespace platform
