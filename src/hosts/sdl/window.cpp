// The game's one window on SDL: full screen on the desktop (no video-mode switch) or a resizable
// window, as the player last chose; created hidden and shown once the sound is open, as the
// game's start-up expects.
#include "host/window.h"

#include <SDL.h>

#include <csignal>
#include <cstdio>

#include "hosts/sdl/sdl_window.h"
#include "machine/message_queue.h"
#include "machine/player_settings.h"
#include "machine/printable.h"
#include "machine/resources.h"

namespace platform {
namespace {

constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;

// There is only ever one window; its record lives here rather than on the heap.
Window theWindow;

// The signals that ask the game to close: the terminal hanging up, Ctrl+C, a plain kill. Each
// becomes a close, so the table is saved, and is remembered: nobody may be there to dismiss a
// message box afterwards.
constexpr int kCloseSignals[] = {SIGHUP, SIGINT, SIGTERM};
constexpr int kCloseSignalCount = sizeof kCloseSignals / sizeof kCloseSignals[0];
volatile std::sig_atomic_t closeAsked = 0;
volatile std::sig_atomic_t endedBySignal = 0;
struct sigaction previousActions[kCloseSignalCount] {};
bool caught[kCloseSignalCount] = {};

void OnCloseSignal(int) {
  closeAsked = 1;
  endedBySignal = 1;
}

// Taken over from SDL's own handlers (which only queue a quit event) once the window exists;
// the previous handlers come back at shut-down.
void CatchCloseSignals() {
  closeAsked = 0;
  endedBySignal = 0;
  for (int i = 0; i < kCloseSignalCount; ++i) {
    if (caught[i]) continue;
    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    caught[i] = sigaction(kCloseSignals[i], &action, &previousActions[i]) == 0;
  }
}

void ReleaseCloseSignals() {
  for (int i = 0; i < kCloseSignalCount; ++i) {
    if (caught[i]) sigaction(kCloseSignals[i], &previousActions[i], nullptr);
    caught[i] = false;
  }
}

bool Screenless(const char* driver) {
  return SDL_strcmp(driver, "dummy") == 0 || SDL_strcmp(driver, "offscreen") == 0;
}

// `why` may quote DISPLAY or SDL_VIDEODRIVER as the environment gave them.
void ReportNoDisplay(const char* why) {
  std::fprintf(stderr, "skypop: no display: %s (SDL_VIDEODRIVER=dummy runs the game without one)\n",
               Printable(why).c_str());
}

// Without a display SDL would quietly fall back to a window nobody can see, and the game would
// run until killed: the screenless drivers run only when SDL_VIDEODRIVER asks for them.
bool StartVideo() {
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  if (asked != nullptr && asked[0] != '\0') {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    ReportNoDisplay(SDL_GetError());
    return false;
  }
  // Wayland cannot be reached without a runtime folder, and its library would say so on
  // stderr on top of our own line.
  const char* runtime = SDL_getenv("XDG_RUNTIME_DIR");
  const bool noWayland = runtime == nullptr || runtime[0] == '\0';
  char drivers[256] = "";
  for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
    const char* name = SDL_GetVideoDriver(i);
    if (name == nullptr || Screenless(name)) continue;
    if (noWayland && SDL_strcmp(name, "wayland") == 0) continue;
    if (drivers[0] != '\0') SDL_strlcat(drivers, ",", sizeof drivers);
    SDL_strlcat(drivers, name, sizeof drivers);
  }
  SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers);
  const bool started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
  SDL_ResetHint(SDL_HINT_VIDEODRIVER);
  if (started) return true;
  const char* x = SDL_getenv("DISPLAY");
  const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
  char why[200];
  if ((x == nullptr || x[0] == '\0') && (wayland == nullptr || wayland[0] == '\0')) {
    SDL_strlcpy(why, "DISPLAY is not set", sizeof why);
  } else {
    SDL_snprintf(why, sizeof why, "cannot open display \"%s\"",
                 x != nullptr && x[0] != '\0' ? x : wayland);
  }
  ReportNoDisplay(why);
  return false;
}

void SetIcon(SDL_Window* sdl) {
  ResourceBytes icon;
  if (!FindResource("MYICON", ResourceType::kIcon, &icon)) return;
  SDL_RWops* stream = SDL_RWFromConstMem(icon.data, static_cast<int>(icon.size));
  if (stream == nullptr) return;
  SDL_Surface* surface = SDL_LoadBMP_RW(stream, 1);
  if (surface == nullptr) return;  // a broken icon is no reason to stop the game
  SDL_SetWindowIcon(sdl, surface);
  SDL_FreeSurface(surface);
}

// The largest whole multiple of the picture that fits the desktop's usable area (at least 1x):
// every picture pixel stays a crisp square block.
int WindowScale(int displayIndex) {
  SDL_Rect usable{};
  if (SDL_GetDisplayUsableBounds(displayIndex, &usable) != 0) return 1;
  int scale = 1;
  while (kPictureWidth * (scale + 1) <= usable.w && kPictureHeight * (scale + 1) <= usable.h) {
    ++scale;
  }
  return scale;
}

}  // namespace

WindowHandle CreateGameWindow(const char* caption, WindowProcedure procedure) {
  if (!StartVideo()) return nullptr;
  // Resizable from the start: SDL ignores the flag when it is asked for while the window is full
  // screen, and the window would keep one fixed size after Alt+Enter. Full screen starts as a
  // borderless window that already covers the display: without a window manager (a kiosk, a
  // cabinet) nobody else would give it the display's size.
  const bool fullScreen = CurrentPlayerSettings().fullScreen;
  const Uint32 kFlags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE |
                        (fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS : 0);
  const int scale = WindowScale(0);
  SDL_Rect area{static_cast<int>(SDL_WINDOWPOS_CENTERED), static_cast<int>(SDL_WINDOWPOS_CENTERED),
                kPictureWidth * scale, kPictureHeight * scale};
  if (fullScreen && SDL_GetDisplayBounds(0, &area) != 0) {
    area = SDL_Rect{0, 0, kPictureWidth, kPictureHeight};
  }
  // Made ready for OpenGL from the start, so the display's renderer need not re-create the window
  // (a visible window re-created costs a round with the window manager); without OpenGL, plain.
  SDL_Window* sdl =
      SDL_CreateWindow(caption, area.x, area.y, area.w, area.h, kFlags | SDL_WINDOW_OPENGL);
  if (sdl == nullptr) sdl = SDL_CreateWindow(caption, area.x, area.y, area.w, area.h, kFlags);
  if (sdl == nullptr) {
    std::fprintf(stderr, "skypop: cannot create the window: %s\n", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  SetIcon(sdl);
  // The game reads keys, not text: no input-method window should ever pop up over it.
  SDL_StopTextInput();
  theWindow = Window{};
  theWindow.sdl = sdl;
  theWindow.procedure = procedure;
  SDL_strlcpy(theWindow.caption, caption, sizeof theWindow.caption);
  SDL_SetWindowData(sdl, "game", &theWindow);
  CatchCloseSignals();
  return &theWindow;
}

bool SetFullScreen(SDL_Window* sdl, bool fullScreen) {
  if (fullScreen) {
    // The window covers the display by itself first, borderless: a window manager then only
    // confirms it, and without one (where SDL would believe in a size the window never got) the
    // picture still fills the screen.
    SDL_Rect display{};
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(sdl), &display) == 0) {
      SDL_SetWindowBordered(sdl, SDL_FALSE);
      SDL_SetWindowPosition(sdl, display.x, display.y);
      SDL_SetWindowSize(sdl, display.w, display.h);
    }
    if (SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0) return true;
    SDL_SetWindowBordered(sdl, SDL_TRUE);
    return false;
  }
  if (SDL_SetWindowFullscreen(sdl, 0) != 0) return false;
  SDL_SetWindowBordered(sdl, SDL_TRUE);
  // Asked again now that the window is out of full screen, where SDL honours it.
  SDL_SetWindowResizable(sdl, SDL_TRUE);
  const int scale = WindowScale(SDL_GetWindowDisplayIndex(sdl));
  SDL_SetWindowSize(sdl, kPictureWidth * scale, kPictureHeight * scale);
  SDL_SetWindowPosition(sdl, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  return true;
}

bool TakeCloseSignal() {
  if (closeAsked == 0) return false;
  closeAsked = 0;
  return true;
}

bool EndedBySignal() {
  return endedBySignal != 0;
}

void ShowWindow(WindowHandle window) {
  if (window == nullptr || window->sdl == nullptr) return;
  SDL_ShowWindow(window->sdl);
  SDL_RaiseWindow(window->sdl);
  // Drivers without a screen have no keyboard focus to give, so no activation would ever come
  // and the game would stand still: a shown window counts as the active one there.
  if (ScreenlessVideoDriver()) PostMessage(window, Message{MessageKind::kActivateApp, 1, 0});
}

bool ScreenlessVideoDriver() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr && Screenless(driver);
}

void ShowPointer(bool visible) {
  SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void DestroyWindow(WindowHandle window) {
  if (window == nullptr || window->destroyed) return;
  window->destroyed = true;
  // The procedure's teardown runs first, while the window (and the display's renderer on it)
  // still exists, exactly as a destroy message arrives before the window is gone.
  if (window->procedure != nullptr) window->procedure(window, Message{MessageKind::kDestroy, 0, 0});
  if (window->sdl != nullptr) {
    SDL_DestroyWindow(window->sdl);
    window->sdl = nullptr;
  }
}

void ShutDownPlatform() {
  if (theWindow.sdl != nullptr) DestroyWindow(&theWindow);
  ReleaseCloseSignals();
  SDL_Quit();
}

}  // namespace platform
