// The name entry: typing a name of up to ten characters for a new high-score row.
#pragma once

#include <cstdint>

extern const char NameSymbols[41];

extern char nameBuffer[11];
extern int32_t nameLength;
extern int32_t symbolCursor;

// Puts the entry back to its program-start values: an empty name, the cursor on 'A'.
void ResetNameEntry();

// Step 0 resets the entry; step 1 runs one tick and is true once the name is in the table.
bool NameEntryStep(int step);
// The game is closing: a name the player has begun to type goes into the new row as far as it
// got (the entry itself is not finished), so that the save that follows keeps it.
void KeepTypedName();
