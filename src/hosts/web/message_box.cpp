// Message boxes in the browser: a modal overlay on the page with the caption and the text. The
// page cannot block, so the box stays up over whatever the game does next (it has ended by then).
#include "host/message_box.h"

#include "hosts/web/page_glue.h"

namespace platform {

void ShowMessageBox(WindowHandle, const char* text, const char* caption) {
  skypop_show_message(text, caption);
}

}  // namespace platform
