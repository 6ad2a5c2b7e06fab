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
// The folder whose files outlive the page: it is read back from the browser's storage for the
// site before main, and what is written there is kept once WritePersistentFolder has run.
const char* PersistentFolder();

// The storage behind that folder is shared by every open page of the site and reached only
// asynchronously: a change that must not undo another page's is made by taking the site's lock
// on it, reading the folder back, changing it, writing it out and letting the lock go. Each of
// the three asynchronous steps calls `done` once, later, with whether it succeeded; only one
// step is under way at a time.
using StorageStepDone = void (*)(bool ok);
// False where the browser keeps nothing for the page (no storage at all): the folder then lives
// for this visit only, and the page says so.
bool PersistentFolderLasts();
// Takes the lock; false when another page held it for more than a short while.
void LockPersistentFolder(StorageStepDone done);
void ReadPersistentFolder(StorageStepDone done);
void WritePersistentFolder(StorageStepDone done);
void UnlockPersistentFolder();
// Shows (or hides) the page's own Resume button, which sends Start, for a wave that is paused.
void ShowResume(bool shown);

}  // namespace platform
