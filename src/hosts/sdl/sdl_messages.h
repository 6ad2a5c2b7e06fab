// The SDL side of the window's messages: which SDL events become which messages.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "host/messages.h"

namespace platform {

// The virtual-key code of an SDL key; 0 for keys the game has no code for.
uint32_t VirtualKey(SDL_Keycode key);

// Takes the player's own keys (mute, volume) before the game sees them; true when the key was one.
bool HandlePlayerKey(const SDL_KeyboardEvent& event);

// Turns one SDL event into the message the window procedure handles; false for events the game
// does not care about.
bool TranslateEvent(const SDL_Event& event, Message* out);

}  // namespace platform
