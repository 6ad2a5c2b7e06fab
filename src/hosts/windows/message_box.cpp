// The message box on Windows: the system's own, over the game's window, in UTF-16. Where it
// cannot be shown the text goes to standard error.
#include "host/message_box.h"

#include <cstdio>

#include "hosts/windows/windows_window.h"

namespace platform {

void ShowMessageBox(WindowHandle window, const char* text, const char* caption) {
  HWND owner = window != nullptr ? window->hwnd : nullptr;
  const std::wstring wideText = Wide(text != nullptr ? text : "");
  const std::wstring wideCaption = Wide(caption != nullptr ? caption : "");
  if (MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(),
                  MB_OK | MB_ICONERROR | MB_SETFOREGROUND) == 0) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
  }
}

}  // namespace platform
