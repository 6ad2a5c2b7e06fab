// A window for tests that records instead of acting: message boxes go to a list rather than the
// screen (a real box would block), and the window's destruction only counts its destroy messages.
#pragma once

#include <string>
#include <vector>

#include "host/window_handle.h"

namespace testing_support {

struct ShownMessage {
  std::string caption;
  std::string text;
};

// A window with no screen behind it (the display opens headless on it) whose destruction is
// recorded; a fresh one after every ClearRecordedWindow.
WindowHandle RecordingWindow();
// Every box shown since the last ClearRecordedWindow, in order.
const std::vector<ShownMessage>& ShownMessages();
// How many destroy messages the window received.
int DestroyRequests();
void ClearRecordedWindow();

}  // namespace testing_support
