// What the browser host keeps behind the game's window handle: the page's canvas has
// no handle of its own, so the record only remembers the procedure and the teardown.
#pragma once

#include "host/window.h"

namespace platform {

struct Window {
  bool destroyed = false;               // set once the destroy handling has run
  WindowProcedure procedure = nullptr;  // receives the window's messages
};

// The one window while it exists, or null (the event callbacks check it before posting).
Window* PageWindow();

}  // namespace platform
