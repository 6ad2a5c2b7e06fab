// The keys that belong to the player's desktop rather than to the game: M mutes and unmutes,
// - and = (and the keypad's - and +) turn the volume down and up. The game never sees them; the
// window's title says where the volume now stands, away from the picture.
#include <SDL.h>

#include "hosts/sdl/sdl_messages.h"
#include "hosts/sdl/sdl_window.h"
#include "machine/player_settings.h"

namespace platform {
namespace {

void ShowVolumeInTitle(Uint32 windowId, const PlayerSettings& settings) {
  SDL_Window* sdl = SDL_GetWindowFromID(windowId);
  const Window* window =
      sdl != nullptr ? static_cast<const Window*>(SDL_GetWindowData(sdl, "game")) : nullptr;
  if (window == nullptr) return;
  char title[96];
  if (settings.muted) {
    SDL_snprintf(title, sizeof title, "%s - muted", window->caption);
  } else {
    SDL_snprintf(title, sizeof title, "%s - volume %d%%", window->caption, settings.masterVolume);
  }
  SDL_SetWindowTitle(sdl, title);
}

// +1 or -1 for the volume keys, 0 for any other key.
int VolumeDirection(SDL_Keycode key) {
  switch (key) {
    case SDLK_EQUALS:
    case SDLK_PLUS:
    case SDLK_KP_PLUS:
      return 1;
    case SDLK_MINUS:
    case SDLK_KP_MINUS:
      return -1;
    default:
      return 0;
  }
}

}  // namespace

bool HandlePlayerKey(const SDL_KeyboardEvent& event) {
  // With a modifier held these are someone else's shortcuts.
  if ((event.keysym.mod & (KMOD_CTRL | KMOD_ALT | KMOD_GUI)) != 0) return false;
  const SDL_Keycode key = event.keysym.sym;
  const int direction = VolumeDirection(key);
  if (key != SDLK_m && direction == 0) return false;
  if (event.type != SDL_KEYDOWN) return true;  // the release of a key we took is ours too
  PlayerSettings settings = CurrentPlayerSettings();
  if (key == SDLK_m) {
    if (event.repeat != 0) return true;  // holding M must not flicker the sound
    settings = ToggledMute(settings);
  } else {
    settings = SteppedVolume(settings, direction);
  }
  ChangePlayerSettings(settings);
  ShowVolumeInTitle(event.windowID, settings);
  return true;
}

}  // namespace platform
