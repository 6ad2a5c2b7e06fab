// Message boxes in the browser: a modal overlay on the page with the caption and the text. The
// page cannot block, so the box stays up over whatever the game does next (it has ended by then).
#include "platform/message_box.h"

#include "platform/web/page_glue.h"

namespace platform {
namespace {

MessageBoxHook messageBoxHook = nullptr;

}  // namespace

void MessageBox(WindowHandle, const char* text, const char* caption) {
  if (messageBoxHook != nullptr) {
    messageBoxHook(text, caption);
    return;
  }
  skypop_show_message(text, caption);
}

void SetMessageBoxHook(MessageBoxHook hook) {
  messageBoxHook = hook;
}

}  // namespace platform
