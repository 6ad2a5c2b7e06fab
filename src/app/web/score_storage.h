// Keeps the high-score table in the browser's storage for the site, which every open page of the
// site shares: two pages that both rank keep both rows, as two desktop games sharing a file do.
#pragma once

// Called after every pass of the game, and with `gameEnded` once it has ended. Starts storing
// the rows this page has saved when there are any (or, at the end, once whatever there is), one
// store at a time: the site's lock on the folder, the folder read back, the rows merged into the
// table there, the folder written out, the lock let go. A store that fails, or whose lock
// another page holds too long, is reported and tried again at the next save or at the end.
void KeepScoresStored(bool gameEnded);
