// The handle of the game's one window, as the game's operations pass it around. The game never
// looks inside it; only the host does.
#pragma once

namespace platform {
struct Window;
}

using WindowHandle = platform::Window*;
