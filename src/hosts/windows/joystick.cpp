// Joystick 1 on Windows: the first XInput controller, or else the first winmm joystick, attached
// at any time. Neither sends events, so the message source polls it. A controller is read by its
// layout (left stick or D-pad, A, B, Start); a joystick by its X and Y axes or its hat and its
// buttons 1, 2 and 9. XInput is loaded at run time: a Windows without it leaves winmm.
#include "host/joystick.h"

#include "hosts/windows/windows_window.h"
// After <windows.h>, which it needs.
#include <xinput.h>

#include "host/clock.h"

namespace platform {
namespace {

constexpr uint32_t kAxisMin = 0;
constexpr uint32_t kAxisCentre = 0x7FFF;
constexpr uint32_t kAxisMax = 0xFFFF;
constexpr DWORD kXInputSlots = 4;  // XUSER_MAX_COUNT
// How often the message source reads joystick 1, and how often it looks for one while none is
// attached (asking XInput about an empty slot is slow).
constexpr uint64_t kPollMs = 4;
constexpr uint64_t kScanMs = 1000;

using XInputGetStateFn = DWORD(WINAPI*)(DWORD, XINPUT_STATE*);

enum class Source { kNone, kXInput, kJoystick };

struct Joystick1 {
  bool captured = false;
  XInputGetStateFn getState = nullptr;
  Source source = Source::kNone;
  UINT slot = 0;    // the XInput user index or the winmm joystick id
  JOYCAPSW caps{};  // the winmm joystick's ranges
  uint64_t lastScan = 0;
  bool scanned = false;
  uint64_t lastPoll = 0;
  bool wasAttached = false;  // the reading the last message reported
  JoystickPosition was{kAxisCentre, kAxisCentre, 0};
};

Joystick1 stick;

// XInput, loaded once and kept for the life of the process: it runs a thread of its own that
// watches for controllers, and unloading it under that thread crashes the program (under Wine,
// at every quit).
XInputGetStateFn LoadXInput() {
  static XInputGetStateFn getState = [] {
    for (const wchar_t* name : {L"xinput1_4.dll", L"xinput9_1_0.dll"}) {
      HMODULE xinput = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
      if (xinput == nullptr) continue;
      // Through the generic function type: the one cast between function types GCC accepts.
      const auto found = reinterpret_cast<XInputGetStateFn>(
          reinterpret_cast<void (*)()>(GetProcAddress(xinput, "XInputGetState")));
      if (found != nullptr) return found;
      FreeLibrary(xinput);  // not XInput after all: nothing of it runs
    }
    return static_cast<XInputGetStateFn>(nullptr);
  }();
  return getState;
}

// A pressed D-pad or hat direction pushes its axis to the end, as a stick pushed fully would.
void ApplyDirections(bool left, bool right, bool up, bool down, JoystickPosition* position) {
  if (left) position->x = kAxisMin;
  if (right) position->x = kAxisMax;
  if (up) position->y = kAxisMin;
  if (down) position->y = kAxisMax;
}

bool ReadController(JoystickPosition* position) {
  XINPUT_STATE state{};
  if (stick.getState(stick.slot, &state) != ERROR_SUCCESS) return false;
  const XINPUT_GAMEPAD& pad = state.Gamepad;
  // XInput's Y grows upwards; the game's, like a joystick's, grows downwards.
  position->x = static_cast<uint32_t>(pad.sThumbLX + 32768);
  position->y = static_cast<uint32_t>(32767 - pad.sThumbLY);
  auto held = [&pad](WORD button) { return (pad.wButtons & button) != 0; };
  ApplyDirections(held(XINPUT_GAMEPAD_DPAD_LEFT), held(XINPUT_GAMEPAD_DPAD_RIGHT),
                  held(XINPUT_GAMEPAD_DPAD_UP), held(XINPUT_GAMEPAD_DPAD_DOWN), position);
  if (held(XINPUT_GAMEPAD_A)) position->buttons |= kJoyButton1;
  if (held(XINPUT_GAMEPAD_B)) position->buttons |= kJoyButton2;
  if (held(XINPUT_GAMEPAD_START)) position->buttons |= kJoyButton9;
  return true;
}

uint32_t Scaled(DWORD value, UINT low, UINT high) {
  if (high <= low) return kAxisCentre;
  if (value <= low) return kAxisMin;
  if (value >= high) return kAxisMax;
  return static_cast<uint32_t>(uint64_t{value - low} * kAxisMax / (high - low));
}

bool ReadRawJoystick(JoystickPosition* position) {
  JOYINFOEX info{};
  info.dwSize = sizeof info;
  info.dwFlags = JOY_RETURNALL;
  if (joyGetPosEx(stick.slot, &info) != JOYERR_NOERROR) return false;
  position->x = Scaled(info.dwXpos, stick.caps.wXmin, stick.caps.wXmax);
  position->y = Scaled(info.dwYpos, stick.caps.wYmin, stick.caps.wYmax);
  if ((stick.caps.wCaps & JOYCAPS_HASPOV) != 0 && info.dwPOV != JOY_POVCENTERED) {
    const DWORD pov = info.dwPOV;  // hundredths of a degree, clockwise from up
    ApplyDirections(pov > 18000,
                    pov > 0 && pov<18000, pov> 27000 || pov<9000, pov> 9000 && pov < 27000,
                    position);
  }
  // Button n of the device is bit n-1 of the button word.
  position->buttons = static_cast<uint32_t>(info.dwButtons);
  return true;
}

// Looks for joystick 1: the first XInput controller, else the first winmm joystick.
void Scan() {
  stick.lastScan = SystemClock().Milliseconds();
  stick.scanned = true;
  XINPUT_STATE state{};
  for (DWORD slot = 0; stick.getState != nullptr && slot < kXInputSlots; ++slot) {
    if (stick.getState(slot, &state) == ERROR_SUCCESS) {
      stick.source = Source::kXInput;
      stick.slot = slot;
      return;
    }
  }
  const UINT count = joyGetNumDevs();
  for (UINT id = 0; id < count && id < 16; ++id) {
    JOYINFOEX info{};
    info.dwSize = sizeof info;
    info.dwFlags = JOY_RETURNALL;
    if (joyGetPosEx(id, &info) == JOYERR_NOERROR &&
        joyGetDevCapsW(id, &stick.caps, sizeof stick.caps) == JOYERR_NOERROR) {
      stick.source = Source::kJoystick;
      stick.slot = id;
      return;
    }
  }
}

bool ReadNow(JoystickPosition* out) {
  *out = JoystickPosition{kAxisCentre, kAxisCentre, 0};
  if (!stick.captured) return false;
  if (stick.source == Source::kNone &&
      (!stick.scanned || SystemClock().Milliseconds() - stick.lastScan >= kScanMs)) {
    Scan();
  }
  bool read = false;
  if (stick.source == Source::kXInput) read = ReadController(out);
  if (stick.source == Source::kJoystick) read = ReadRawJoystick(out);
  if (!read) {
    // Pulled out: the next scan finds another one still attached, or this one plugged back in.
    stick.source = Source::kNone;
    *out = JoystickPosition{kAxisCentre, kAxisCentre, 0};
  }
  return read;
}

}  // namespace

bool CaptureJoystick(WindowHandle) {
  if (stick.captured) return true;
  stick = Joystick1{};
  stick.getState = LoadXInput();
  stick.captured = true;
  return true;
}

bool ReadJoystick(JoystickPosition* out) {
  return ReadNow(out);
}

void ReleaseJoystick() {
  if (!stick.captured) return;
  stick = Joystick1{};
}

bool PollJoystick(Message* out) {
  if (!stick.captured) return false;
  const uint64_t now = SystemClock().Milliseconds();
  if (now - stick.lastPoll < kPollMs) return false;
  stick.lastPoll = now;
  JoystickPosition position;
  const bool attached = ReadNow(&position);
  const uint32_t pressed = position.buttons & ~stick.was.buttons;
  const uint32_t released = stick.was.buttons & ~position.buttons;
  const bool moved =
      attached != stick.wasAttached || position.x != stick.was.x || position.y != stick.was.y;
  if (pressed == 0 && released == 0 && !moved) return false;
  stick.was = position;
  stick.wasAttached = attached;
  // The game reads the stick afresh on any of these, so one message tells it everything.
  MessageKind kind = MessageKind::kJoyMove;
  if (pressed != 0) {
    kind = MessageKind::kJoyButtonDown;
  } else if (released != 0) {
    kind = MessageKind::kJoyButtonUp;
  }
  *out = Message{kind, 0, 0};
  return true;
}

}  // namespace platform
