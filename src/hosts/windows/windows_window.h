// What the Windows host keeps behind the game's window handle, and what its files share about the
// window. Only src/hosts/windows/ sees it.
#pragma once

#include <cstdint>

#include "host/messages.h"
#include "host/window.h"
#include "hosts/windows/windows_api.h"

namespace platform {

struct Window {
  HWND hwnd = nullptr;
  WindowProcedure procedure = nullptr;  // receives the window's messages
  bool destroyed = false;               // set once the destroy handling has run
  bool fullScreen = false;              // a borderless window covering its monitor
  bool pointerVisible = true;           // the system pointer over the window
  int pictureWidth = 640;               // the picture the presenter shows, for the mouse
  int pictureHeight = 480;
  char caption[64] = "";  // the title, before any volume note is added to it
  // The presenter's repaint of its last picture (a window uncovered, resized); null without one.
  void (*repaint)(void* presenter) = nullptr;
  void* presenter = nullptr;
};

// The window's procedure: turns the Win32 messages the game cares about into its messages.
LRESULT CALLBACK GameWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The largest area of the picture's shape inside `client`, centred: the rest is black bars.
RECT PictureArea(const RECT& client, int pictureWidth, int pictureHeight);

// Switches between a borderless window covering its monitor and a framed window of the largest
// whole multiple of the picture that fits the monitor's work area.
void SetFullScreen(Window* window, bool fullScreen);

// Takes the player's own keys (mute, volume, full screen) before the game sees them; true when
// the key was one. `message` is WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN or WM_SYSKEYUP.
bool HandlePlayerKey(Window* window, UINT message, WPARAM key, LPARAM flags);

// True once after the console asked the game to close (Ctrl+C, Ctrl+Break, its window closed):
// the game then closes as it does for its close button, saving the table.
bool TakeConsoleClose();

// Remembers that the session is ending (log-off, shut-down): the game was not closed by the
// player, so EndedBySignal() tells so.
void NoteSessionEnd();

// Reads joystick 1 when it is due and turns what changed into one message; false when nothing
// did. Polled by the message source: XInput and winmm send no events.
bool PollJoystick(Message* out);

// Lets go of what the message source's waits hold (their timer), once the loop has ended.
void ReleaseWaitTimer();

// Ends the system synthesizer's MIDI output for good (all notes off, device closed).
void CloseSystemMidi();

}  // namespace platform
