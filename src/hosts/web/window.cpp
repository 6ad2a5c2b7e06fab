// The game's one window in the browser: the page's canvas. It exists from the start; showing it
// means listening to the page's input.
#include "host/window.h"

#include "hosts/web/page_glue.h"
#include "hosts/web/web_window.h"
#include "machine/message_queue.h"

namespace platform {
namespace {

Window theWindow;
bool created = false;

}  // namespace

Window* PageWindow() {
  return created && !theWindow.destroyed ? &theWindow : nullptr;
}

WindowHandle CreateGameWindow(const char*, WindowProcedure procedure) {
  // The caption is the page's own title; the icon its favicon.
  theWindow = Window{};
  theWindow.procedure = procedure;
  created = true;
  return &theWindow;
}

void ShowWindow(WindowHandle window) {
  if (window == nullptr) return;
  ListenToPage();
  // The page gives no focus event for the focus it already has: a visible page starts active,
  // as a desktop window does when it is raised.
  if (skypop_page_visible()) PostMessage(window, Message{MessageKind::kActivateApp, 1, 0});
}

void ShowPointer(bool visible) {
  skypop_show_pointer(visible ? 1 : 0);
}

void DestroyWindow(WindowHandle window) {
  if (window == nullptr || window->destroyed) return;
  window->destroyed = true;
  if (window->procedure != nullptr) window->procedure(window, Message{MessageKind::kDestroy, 0, 0});
  StopListeningToPage();
}

void ShutDownPlatform() {
  if (created && !theWindow.destroyed) DestroyWindow(&theWindow);
  created = false;
}

}  // namespace platform
