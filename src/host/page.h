// The web page the game runs in, where the machine (a browser) will not let a program loop on its
// own. Only the browser's entry uses it; the desktop has no page.
#pragma once

namespace platform {

// One pass of the game's loop; false once the game has ended.
using PageFrame = bool (*)();

// On every animation frame of the page (and, while the page is hidden, on a slow timer, so that
// the game still sees it lose the focus) calls frame back to back until the loop would wait, as
// the desktop loop runs; once frame returns false, tells the page the game has ended. Returns at
// once: the page keeps calling.
void RunOnPageFrames(PageFrame frame);
// The folder whose files outlive the page: every file written there is kept in the browser's
// storage and is back on the next visit.
const char* PersistentFolder();
// Shows (or hides) the page's own Resume button, which sends Start, for a wave that is paused.
void ShowResume(bool shown);

}  // namespace platform
