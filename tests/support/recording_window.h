// Test stand-ins for the message box and the window's destruction: they record instead of
// opening a box that would block or ending a window that does not exist.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct ShownMessage {
  std::string caption;
  std::string text;
};

// Every box shown since the last ClearRecordedWindow, in order.
const std::vector<ShownMessage>& ShownMessages();
// How many times the window was asked to go.
int DestroyRequests();
void ClearRecordedWindow();

}  // namespace testing_support
