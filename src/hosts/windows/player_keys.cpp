// The keys that belong to the player's desktop rather than to the game: M mutes and unmutes,
// - and = (and the keypad's - and +) turn the volume down and up, F11 and Alt+Enter switch
// between full screen and a window. The game never sees them; the window's title says where the
// volume now stands, away from the picture.
#include <cstdio>

#include "hosts/windows/windows_window.h"
#include "machine/player_settings.h"

namespace platform {
namespace {

bool Held(int key) {
  return (GetKeyState(key) & 0x8000) != 0;
}

void ShowVolumeInTitle(const Window& window, const PlayerSettings& settings) {
  char title[96];
  if (settings.muted) {
    std::snprintf(title, sizeof title, "%s - muted", window.caption);
  } else {
    std::snprintf(title, sizeof title, "%s - volume %d%%", window.caption, settings.masterVolume);
  }
  SetWindowTextW(window.hwnd, Wide(title).c_str());
}

// +1 or -1 for the volume keys, 0 for any other key. VK_OEM_PLUS is the key that carries + on
// every layout (= unshifted on a US keyboard), VK_OEM_MINUS the one that carries -.
int VolumeDirection(WPARAM key) {
  switch (key) {
    case VK_OEM_PLUS:
    case VK_ADD:
      return 1;
    case VK_OEM_MINUS:
    case VK_SUBTRACT:
      return -1;
    default:
      return 0;
  }
}

// Alt+Enter or F11: full screen, or a window of the largest whole multiple of the picture that
// fits the monitor. The choice is the player's, kept for the next run.
void ToggleFullScreen(Window* window) {
  const bool fullScreen = !window->fullScreen;
  SetFullScreen(window, fullScreen);
  PlayerSettings settings = CurrentPlayerSettings();
  settings.fullScreen = fullScreen;
  ChangePlayerSettings(settings);
}

}  // namespace

bool HandlePlayerKey(Window* window, UINT message, WPARAM key, LPARAM flags) {
  const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  const bool repeat = (flags & (LPARAM{1} << 30)) != 0;  // the key was already down
  const bool alt = (flags & (LPARAM{1} << 29)) != 0;
  if (key == VK_F11 || (key == VK_RETURN && alt)) {
    if (down && !repeat) ToggleFullScreen(window);
    return true;
  }
  // With a modifier held these are someone else's shortcuts.
  if (alt || Held(VK_CONTROL) || Held(VK_LWIN) || Held(VK_RWIN)) return false;
  const int direction = VolumeDirection(key);
  if (key != 'M' && direction == 0) return false;
  if (!down) return true;  // the release of a key we took is ours too
  PlayerSettings settings = CurrentPlayerSettings();
  if (key == 'M') {
    if (repeat) return true;  // holding M must not flicker the sound
    settings = ToggledMute(settings);
  } else {
    settings = SteppedVolume(settings, direction);
  }
  ChangePlayerSettings(settings);
  ShowVolumeInTitle(*window, settings);
  return true;
}

}  // namespace platform
