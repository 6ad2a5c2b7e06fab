// The game's one window on Windows: a borderless window covering its monitor (full screen, no
// video-mode switch) or a framed, resizable one, as the player last chose; created hidden and
// shown once the sound is open, as the game's start-up expects. The console the game may have
// been started from closes it the way the close button does, and so does the session's end.
#include "host/window.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "hosts/windows/windows_window.h"
#include "machine/player_settings.h"

namespace platform {
namespace {

constexpr wchar_t kClassName[] = L"SkypopFrenzyWindow";
constexpr DWORD kWindowedStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kFullScreenStyle = WS_POPUP;

// There is only ever one window; its record lives here rather than on the heap.
Window theWindow;
bool classRegistered = false;

// ---- The console: Ctrl+C, Ctrl+Break and closing it ask the game to close ----

std::atomic<bool> consoleClose{false};
// The console or the session ending closed the game, not the player: nobody may be there to
// read a message box.
std::atomic<bool> endedBySignal{false};
std::atomic<HWND> wakeWindow{nullptr};
HANDLE shutDownDone = nullptr;  // set once the game has closed, for a console that waits
bool consoleHandled = false;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  endedBySignal.store(true);
  consoleClose.store(true);
  // Wakes the loop if it sleeps; the message itself is ignored.
  HWND hwnd = wakeWindow.load();
  if (hwnd != nullptr) PostMessageW(hwnd, WM_NULL, 0, 0);
  // Windows ends the process as soon as this returns from a close, log-off or shut-down: wait
  // (within the five seconds Windows allows) until the table is saved.
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    if (shutDownDone != nullptr) WaitForSingleObject(shutDownDone, 4500);
  }
  return TRUE;
}

void HandleConsole() {
  endedBySignal.store(false);
  if (consoleHandled) return;
  consoleClose.store(false);
  shutDownDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  consoleHandled = SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
}

void ReleaseConsole() {
  if (consoleHandled) SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  consoleHandled = false;
  wakeWindow.store(nullptr);
  if (shutDownDone != nullptr) SetEvent(shutDownDone);
  // The handle stays open: a console thread may still be waiting on it until the process ends.
}

// ---- Placement ----

MONITORINFO MonitorOf(HWND hwnd) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  HMONITOR monitor = hwnd != nullptr ? MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST)
                                     : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  if (!GetMonitorInfoW(monitor, &info)) {
    info.rcMonitor = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    info.rcWork = info.rcMonitor;
  }
  return info;
}

// The outer size of a framed window whose client area is width x height.
SIZE FramedSize(HWND hwnd, int width, int height) {
  RECT r{0, 0, width, height};
  const UINT dpi = hwnd != nullptr ? GetDpiForWindow(hwnd) : 96;
  AdjustWindowRectExForDpi(&r, kWindowedStyle, FALSE, 0, dpi != 0 ? dpi : 96);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// A framed window of the largest whole multiple of the picture that fits the monitor's work area
// (at least 1x), centred on it: every picture pixel a crisp square block.
RECT WindowedRect(HWND hwnd, int pictureWidth, int pictureHeight) {
  const RECT work = MonitorOf(hwnd).rcWork;
  const LONG workWidth = work.right - work.left;
  const LONG workHeight = work.bottom - work.top;
  int scale = 1;
  for (;;) {
    const SIZE next = FramedSize(hwnd, pictureWidth * (scale + 1), pictureHeight * (scale + 1));
    if (next.cx > workWidth || next.cy > workHeight) break;
    ++scale;
  }
  const SIZE size = FramedSize(hwnd, pictureWidth * scale, pictureHeight * scale);
  const LONG left = work.left + std::max(0L, (workWidth - size.cx) / 2);
  const LONG top = work.top + std::max(0L, (workHeight - size.cy) / 2);
  return RECT{left, top, left + size.cx, top + size.cy};
}

void RegisterWindowClass() {
  if (classRegistered) return;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = GameWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  // The executable's own icon (its resource MYICON), at the sizes this screen uses.
  windowClass.hIcon = static_cast<HICON>(
      LoadImageW(instance, L"MYICON", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
  windowClass.hIconSm =
      static_cast<HICON>(LoadImageW(instance, L"MYICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                    GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  windowClass.lpszClassName = kClassName;
  classRegistered = RegisterClassExW(&windowClass) != 0;
}

}  // namespace

RECT PictureArea(const RECT& client, int pictureWidth, int pictureHeight) {
  const long long width = client.right - client.left;
  const long long height = client.bottom - client.top;
  if (width <= 0 || height <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return client;
  // The wider of the two fits: by height when the client is wider than the picture's shape.
  long long w = width;
  long long h = width * pictureHeight / pictureWidth;
  if (h > height) {
    h = height;
    w = height * pictureWidth / pictureHeight;
  }
  const LONG left = client.left + static_cast<LONG>((width - w) / 2);
  const LONG top = client.top + static_cast<LONG>((height - h) / 2);
  return RECT{left, top, left + static_cast<LONG>(w), top + static_cast<LONG>(h)};
}

void SetFullScreen(Window* window, bool fullScreen) {
  HWND hwnd = window->hwnd;
  if (hwnd == nullptr) return;
  const LONG_PTR visible = GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE;
  RECT r;
  if (fullScreen) {
    r = MonitorOf(hwnd).rcMonitor;
    SetWindowLongPtrW(hwnd, GWL_STYLE, kFullScreenStyle | visible);
  } else {
    SetWindowLongPtrW(hwnd, GWL_STYLE, kWindowedStyle | visible);
    r = WindowedRect(hwnd, window->pictureWidth, window->pictureHeight);
  }
  window->fullScreen = fullScreen;
  SetWindowPos(hwnd, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_FRAMECHANGED | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
  InvalidateRect(hwnd, nullptr, FALSE);
}

bool TakeConsoleClose() {
  return consoleClose.exchange(false);
}

void NoteSessionEnd() {
  endedBySignal.store(true);
}

bool EndedBySignal() {
  return endedBySignal.load();
}

WindowHandle CreateGameWindow(const char* caption, WindowProcedure procedure) {
  RegisterWindowClass();
  const bool fullScreen = CurrentPlayerSettings().fullScreen;
  theWindow = Window{};
  theWindow.procedure = procedure;
  std::snprintf(theWindow.caption, sizeof theWindow.caption, "%s", caption);
  const std::wstring title = Wide(theWindow.caption);
  HWND hwnd =
      CreateWindowExW(0, kClassName, title.c_str(), fullScreen ? kFullScreenStyle : kWindowedStyle,
                      CW_USEDEFAULT, CW_USEDEFAULT, theWindow.pictureWidth, theWindow.pictureHeight,
                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (hwnd == nullptr) {
    std::fprintf(stderr, "skypop: cannot create the window (error %lu)\n", GetLastError());
    return nullptr;
  }
  theWindow.hwnd = hwnd;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&theWindow));
  // Placed once it exists, so its frame is measured at its own monitor's scale.
  SetFullScreen(&theWindow, fullScreen);
  wakeWindow.store(hwnd);
  HandleConsole();
  return &theWindow;
}

void ShowWindow(WindowHandle window) {
  if (window == nullptr || window->hwnd == nullptr) return;
  ::ShowWindow(window->hwnd, SW_SHOW);
  SetForegroundWindow(window->hwnd);
  UpdateWindow(window->hwnd);
}

void ShowPointer(bool visible) {
  theWindow.pointerVisible = visible;
  // Takes effect at once when the pointer is over the window, not only at its next move.
  POINT at;
  if (theWindow.hwnd != nullptr && GetCursorPos(&at) && WindowFromPoint(at) == theWindow.hwnd) {
    SetCursor(visible ? LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)) : nullptr);
  }
}

void DestroyWindow(WindowHandle window) {
  if (window == nullptr || window->destroyed) return;
  window->destroyed = true;
  // The procedure's teardown runs first, while the window (and the presenter on it) still
  // exists, exactly as a destroy message arrives before the window is gone.
  if (window->procedure != nullptr) window->procedure(window, Message{MessageKind::kDestroy, 0, 0});
  if (window->hwnd != nullptr) {
    wakeWindow.store(nullptr);
    ::DestroyWindow(window->hwnd);
    window->hwnd = nullptr;
  }
}

void ShutDownPlatform() {
  if (theWindow.hwnd != nullptr) DestroyWindow(&theWindow);
  CloseSystemMidi();
  ReleaseWaitTimer();
  if (classRegistered) UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
  classRegistered = false;
  ReleaseConsole();
}

}  // namespace platform
