// The window's messages on Windows: the window procedure turns the Win32 messages the game cares
// about into the game's records and queues them; the message source hands out the posted
// messages first, then that queue, pumping Win32's own queue whenever it runs dry.
#include <algorithm>
#include <array>

#include "host/messages.h"
#include "hosts/windows/windows_window.h"
#include "machine/message_queue.h"

namespace platform {
namespace {

// Messages the procedure translated and the loop has not taken yet. A pass of the loop takes one
// and pumps again only when this is empty, so it holds a handful at most; a burst of moves
// takes one place.
constexpr size_t kQueueCapacity = 256;
std::array<Message, kQueueCapacity> queue{};
size_t queueHead = 0;
size_t queueCount = 0;

void Queue(const Message& message) {
  if (queueCount > 0 && message.kind == MessageKind::kMouseMove) {
    Message& last = queue[(queueHead + queueCount - 1) % kQueueCapacity];
    if (last.kind == MessageKind::kMouseMove) {
      last = message;
      return;
    }
  }
  if (queueCount == kQueueCapacity) return;  // the loop is not taking any: nobody would see it
  queue[(queueHead + queueCount) % kQueueCapacity] = message;
  ++queueCount;
}

bool Take(Message* out) {
  if (queueCount == 0) return false;
  *out = queue[queueHead];
  queueHead = (queueHead + 1) % kQueueCapacity;
  --queueCount;
  return true;
}

// The last pointer position sent, in picture pixels; a button message sends a move first only
// when the pointer is somewhere else.
uint32_t lastPosition = 0xFFFFFFFF;

// A client-area position in picture pixels: through the letterbox, clamped to the picture (a
// pointer over the bars, or captured outside the window, is at the picture's nearest edge).
void QueuePointer(const Window& window, LPARAM lParam) {
  RECT client;
  GetClientRect(window.hwnd, &client);
  const RECT area = PictureArea(client, window.pictureWidth, window.pictureHeight);
  const int width = std::max(1, static_cast<int>(area.right - area.left));
  const int height = std::max(1, static_cast<int>(area.bottom - area.top));
  const long long x = (static_cast<long long>(static_cast<short>(LOWORD(lParam))) - area.left) *
                      window.pictureWidth / width;
  const long long y = (static_cast<long long>(static_cast<short>(HIWORD(lParam))) - area.top) *
                      window.pictureHeight / height;
  const uint32_t position =
      PackPosition(static_cast<uint32_t>(std::clamp<long long>(x, 0, window.pictureWidth - 1)),
                   static_cast<uint32_t>(std::clamp<long long>(y, 0, window.pictureHeight - 1)));
  if (position == lastPosition) return;
  lastPosition = position;
  Queue(Message{MessageKind::kMouseMove, 0, position});
}

void QueueButton(const Window& window, LPARAM lParam, MessageKind kind, bool down) {
  QueuePointer(window, lParam);
  Queue(Message{kind, 0, 0});
  // While a button is held the window keeps the pointer, so its release is seen even outside.
  if (down) {
    SetCapture(window.hwnd);
  } else if (GetCapture() == window.hwnd) {
    ReleaseCapture();
  }
}

// The key table's code for a Windows virtual key: Windows' codes are the game's, for the keys the
// game knows (letters, digits, F1 to F12, the arrows and a few others); 0 for the rest.
uint32_t GameKey(WPARAM key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return static_cast<uint32_t>(key);
  if (key >= VK_F1 && key <= VK_F12) return static_cast<uint32_t>(key);
  switch (key) {
    case VK_BACK:
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_SPACE:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      return static_cast<uint32_t>(key);
    default:
      return 0;
  }
}

void QueueKey(UINT message, WPARAM key) {
  const uint32_t code = GameKey(key);
  if (code == 0) return;
  const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  Queue(Message{down ? MessageKind::kKeyDown : MessageKind::kKeyUp, code, 0});
}

void Paint(Window* window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window->hwnd, &paint);
  if (window->repaint != nullptr) {
    window->repaint(window->presenter);
  } else if (dc != nullptr) {
    FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  EndPaint(window->hwnd, &paint);
}

// The timer the loop sleeps on between ticks: a high-resolution one where Windows has it (from
// Windows 10 1803), so a wait of 3 ms is 3 ms, not the scheduler's 15.6. Elsewhere the timer
// resolution is raised to 1 ms while the game runs.
// CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, which MinGW-w64's headers do not have yet.
constexpr DWORD kHighResolutionTimer = 0x00000002;
HANDLE waitTimer = nullptr;
bool waitTimerTried = false;
bool finerTimerPeriod = false;

HANDLE WaitTimer() {
  if (!waitTimerTried) {
    waitTimerTried = true;
    waitTimer = CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
    if (waitTimer == nullptr) finerTimerPeriod = timeBeginPeriod(1) == TIMERR_NOERROR;
  }
  return waitTimer;
}

class Win32MessageSource final : public MessageSource {
 public:
  bool PeekMessage(Message* out) override {
    if (TakePostedMessage(out)) return true;
    if (TakeConsoleClose()) {
      *out = Message{MessageKind::kClose, 0, 0};
      return true;
    }
    if (Take(out)) return true;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      // No TranslateMessage: the game reads keys, not characters, and without WM_SYSCHAR no
      // Alt+letter opens a menu that would hold the loop.
      DispatchMessageW(&msg);
      // A message the game posted while it handled this one (the quit its teardown posts when
      // the session's end closed it from inside the procedure) comes before anything else.
      if (TakePostedMessage(out) || Take(out)) return true;
    }
    return PollJoystick(out);
  }

  void WaitMessage(uint32_t timeoutMs) override {
    if (HasPostedMessage() || queueCount > 0) return;
    HANDLE timer = WaitTimer();
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(timeoutMs) * 10000;  // relative, in 100 ns
    if (timer != nullptr && SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
      MsgWaitForMultipleObjectsEx(1, &timer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    } else {
      MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
  }
};

Win32MessageSource windowMessages;

}  // namespace

LRESULT CALLBACK GameWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* window = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (window == nullptr || window->hwnd != hwnd) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  switch (message) {
    case WM_ACTIVATEAPP:
      Queue(Message{MessageKind::kActivateApp, wParam ? 1u : 0u, 0});
      return 0;
    case WM_CLOSE:  // the close button, Alt+F4, the taskbar: the game decides, and saves
      Queue(Message{MessageKind::kClose, 0, 0});
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;  // a log-off or shut-down never waits for the game: it saves at the end
    case WM_ENDSESSION:
      // Windows may end the process as soon as this returns, so the game closes here and now
      // (its teardown saves the table) rather than on the loop's next pass.
      if (wParam) {
        NoteSessionEnd();
        platform::DestroyWindow(window);
      }
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (!HandlePlayerKey(window, message, wParam, lParam)) QueueKey(message, wParam);
      return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      // With Alt held: the game still sees its keys, and Windows its shortcuts (Alt+F4).
      if (HandlePlayerKey(window, message, wParam, lParam)) return 0;
      QueueKey(message, wParam);
      break;
    case WM_SYSCOMMAND:
      // Alt or F10 alone would enter the menu loop, which holds the game until the next key.
      if ((wParam & 0xFFF0) == SC_KEYMENU) return 0;
      break;
    case WM_MOUSEMOVE:
      QueuePointer(*window, lParam);
      return 0;
    case WM_LBUTTONDOWN:
      QueueButton(*window, lParam, MessageKind::kLeftButtonDown, true);
      return 0;
    case WM_LBUTTONUP:
      QueueButton(*window, lParam, MessageKind::kLeftButtonUp, false);
      return 0;
    case WM_RBUTTONDOWN:
      QueueButton(*window, lParam, MessageKind::kRightButtonDown, true);
      return 0;
    case WM_RBUTTONUP:
      QueueButton(*window, lParam, MessageKind::kRightButtonUp, false);
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && !window->pointerVisible) {
        SetCursor(nullptr);
        return TRUE;
      }
      break;
    case WM_ERASEBKGND:
      return 1;  // the presenter paints every pixel, bars included
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_DPICHANGED:
      // Moved to a monitor of another scale: a window takes the size Windows suggests, full
      // screen covers its new monitor.
      if (window->fullScreen) {
        SetFullScreen(window, true);
      } else {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 0;
    case WM_DISPLAYCHANGE:
      if (window->fullScreen) SetFullScreen(window, true);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void ReleaseWaitTimer() {
  if (waitTimer != nullptr) CloseHandle(waitTimer);
  if (finerTimerPeriod) timeEndPeriod(1);
  waitTimer = nullptr;
  waitTimerTried = false;
  finerTimerPeriod = false;
}

MessageSource& WindowMessages() {
  return windowMessages;
}

}  // namespace platform
