// The browser's score storage: the page's folder is its own copy of the site's storage, so a save
// there (SaveScores) reaches the other pages only once this stores it. Each store reads the
// storage back under the site's lock first and merges this page's saved rows into what is there,
// so a row another page stored in the meantime stays.
#include "app/web/score_storage.h"

#include <cstdio>

#include "host/page.h"
#include "scores/high_scores.h"

namespace {

enum class Store { kIdle, kLocking, kReading, kWriting };

Store store = Store::kIdle;
bool endDue = false;  // the game has ended: store once more, whatever is due
int failedWith = -1;  // the rows due when a store last failed: wait for another save, or the end

// Ends the store under way; a failure waits for the next save, or the end.
void Finish(bool stored, const char* problem) {
  store = Store::kIdle;
  if (!stored) {
    failedWith = ScoresAwaitingStore();
    std::fprintf(stderr, "skypop: high scores not stored: %s; trying again at the next save\n",
                 problem);
  }
  KeepScoresStored(false);  // rows saved meanwhile, or the end, may be due already
}

void Written(bool ok) {
  ScoresStored(ok);
  platform::UnlockPersistentFolder();
  Finish(ok, "the browser's storage refused them");
}

void Read(bool ok) {
  if (!ok || !MergeSavedScores()) {
    platform::UnlockPersistentFolder();
    Finish(false, ok ? "the table could not be written" : "the browser's storage did not answer");
    return;
  }
  store = Store::kWriting;
  platform::WritePersistentFolder(Written);
}

void Locked(bool ok) {
  if (!ok) {
    Finish(false, "another page of the game kept them locked");
    return;
  }
  store = Store::kReading;
  platform::ReadPersistentFolder(Read);
}

void Start() {
  store = Store::kLocking;
  platform::LockPersistentFolder(Locked);
}

}  // namespace

void KeepScoresStored(bool gameEnded) {
  if (!platform::PersistentFolderLasts()) return;  // the page keeps nothing: nothing to store
  endDue = endDue || gameEnded;
  if (store != Store::kIdle) return;
  const int due = ScoresAwaitingStore();
  if (endDue) {
    endDue = false;
  } else if (due == 0 || due == failedWith) {
    return;
  }
  failedWith = -1;
  Start();
}
