// Joystick 1 on SDL: the first game controller, or else the first raw joystick, attached at any
// time. A controller is read by its layout (left stick or D-pad, A, B, Start); a raw joystick by
// its first two axes or first hat and its buttons 1, 2 and 9.
#include "host/joystick.h"

#include <SDL.h>

#include "hosts/sdl/sdl_joystick.h"

namespace platform {
namespace {

constexpr uint32_t kAxisMin = 0;
constexpr uint32_t kAxisCentre = 0x7FFF;
constexpr uint32_t kAxisMax = 0xFFFF;

bool captured = false;
SDL_GameController* controller = nullptr;  // set when joystick 1 is a known controller
SDL_Joystick* joystick = nullptr;          // always set while joystick 1 is open
SDL_JoystickID instance = -1;

void Open(int deviceIndex) {
  if (SDL_IsGameController(deviceIndex)) {
    controller = SDL_GameControllerOpen(deviceIndex);
    if (controller != nullptr) joystick = SDL_GameControllerGetJoystick(controller);
  }
  if (joystick == nullptr) joystick = SDL_JoystickOpen(deviceIndex);
  instance = (joystick != nullptr) ? SDL_JoystickInstanceID(joystick) : -1;
}

void OpenFirst() {
  for (int i = 0; i < SDL_NumJoysticks() && joystick == nullptr; ++i) Open(i);
}

void Close() {
  if (controller != nullptr) {
    SDL_GameControllerClose(controller);
  } else if (joystick != nullptr) {
    SDL_JoystickClose(joystick);
  }
  controller = nullptr;
  joystick = nullptr;
  instance = -1;
}

// A pressed D-pad or hat direction pushes its axis to the end, as a stick pushed fully would.
void ApplyDirections(bool left, bool right, bool up, bool down, JoystickPosition* position) {
  if (left) position->x = kAxisMin;
  if (right) position->x = kAxisMax;
  if (up) position->y = kAxisMin;
  if (down) position->y = kAxisMax;
}

void ReadController(JoystickPosition* position) {
  position->x = AxisWord(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX));
  position->y = AxisWord(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
  auto held = [](SDL_GameControllerButton button) {
    return SDL_GameControllerGetButton(controller, button) != 0;
  };
  ApplyDirections(held(SDL_CONTROLLER_BUTTON_DPAD_LEFT), held(SDL_CONTROLLER_BUTTON_DPAD_RIGHT),
                  held(SDL_CONTROLLER_BUTTON_DPAD_UP), held(SDL_CONTROLLER_BUTTON_DPAD_DOWN),
                  position);
  if (held(SDL_CONTROLLER_BUTTON_A)) position->buttons |= kJoyButton1;
  if (held(SDL_CONTROLLER_BUTTON_B)) position->buttons |= kJoyButton2;
  if (held(SDL_CONTROLLER_BUTTON_START)) position->buttons |= kJoyButton9;
}

void ReadRawJoystick(JoystickPosition* position) {
  if (SDL_JoystickNumAxes(joystick) > 0) position->x = AxisWord(SDL_JoystickGetAxis(joystick, 0));
  if (SDL_JoystickNumAxes(joystick) > 1) position->y = AxisWord(SDL_JoystickGetAxis(joystick, 1));
  if (SDL_JoystickNumHats(joystick) > 0) {
    const Uint8 hat = SDL_JoystickGetHat(joystick, 0);
    ApplyDirections(hat & SDL_HAT_LEFT, hat & SDL_HAT_RIGHT, hat & SDL_HAT_UP, hat & SDL_HAT_DOWN,
                    position);
  }
  // Button n of the device is bit n-1 of the button word, as far as the word reaches.
  const int count = SDL_JoystickNumButtons(joystick);
  for (int i = 0; i < count && i < 32; ++i) {
    if (SDL_JoystickGetButton(joystick, i)) position->buttons |= 1u << i;
  }
}

bool IsJoystick1(SDL_JoystickID which) {
  return joystick != nullptr && which == instance;
}

}  // namespace

bool CaptureJoystick(WindowHandle) {
  if (captured) return true;
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
  captured = true;
  OpenFirst();
  return true;
}

bool ReadJoystick(JoystickPosition* out) {
  *out = JoystickPosition{kAxisCentre, kAxisCentre, 0};
  if (joystick == nullptr || !SDL_JoystickGetAttached(joystick)) return false;
  if (controller != nullptr) {
    ReadController(out);
  } else {
    ReadRawJoystick(out);
  }
  return true;
}

void ReleaseJoystick() {
  if (!captured) return;
  Close();
  captured = false;
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool TranslateJoystickEvent(const SDL_Event& event, Message* out) {
  if (!captured) return false;
  // A controller reports through both its controller and its joystick events; only one of the
  // two kinds is listened to, so one change gives one message.
  const bool asController = controller != nullptr;
  switch (event.type) {
    case SDL_JOYDEVICEADDED:
      if (joystick != nullptr) return false;
      Open(event.jdevice.which);
      if (joystick == nullptr) return false;
      *out = Message{MessageKind::kJoyMove, 0, 0};
      return true;
    case SDL_JOYDEVICEREMOVED:
      if (!IsJoystick1(event.jdevice.which)) return false;
      Close();
      OpenFirst();  // another stick still attached takes over as joystick 1
      *out = Message{MessageKind::kJoyMove, 0, 0};  // so the pad is read afresh (released)
      return true;
    case SDL_JOYAXISMOTION:
      if (asController || !IsJoystick1(event.jaxis.which)) return false;
      *out = Message{MessageKind::kJoyMove, 0, 0};
      return true;
    case SDL_JOYHATMOTION:
      if (asController || !IsJoystick1(event.jhat.which)) return false;
      *out = Message{MessageKind::kJoyMove, 0, 0};
      return true;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
      if (asController || !IsJoystick1(event.jbutton.which)) return false;
      *out = Message{
          event.type == SDL_JOYBUTTONDOWN ? MessageKind::kJoyButtonDown : MessageKind::kJoyButtonUp,
          0, 0};
      return true;
    case SDL_CONTROLLERAXISMOTION:
      if (!asController || !IsJoystick1(event.caxis.which)) return false;
      *out = Message{MessageKind::kJoyMove, 0, 0};
      return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      if (!asController || !IsJoystick1(event.cbutton.which)) return false;
      *out = Message{event.type == SDL_CONTROLLERBUTTONDOWN ? MessageKind::kJoyButtonDown
                                                            : MessageKind::kJoyButtonUp,
                     0, 0};
      return true;
    default:
      return false;
  }
}

}  // namespace platform
