#include "machine/message_box.h"

namespace platform {
namespace {

MessageBoxHook messageBoxHook = nullptr;

}  // namespace

void MessageBox(WindowHandle window, const char* text, const char* caption) {
  if (messageBoxHook != nullptr) {
    messageBoxHook(text, caption);
    return;
  }
  ShowMessageBox(window, text, caption);
}

void SetMessageBoxHook(MessageBoxHook hook) {
  messageBoxHook = hook;
}

}  // namespace platform
