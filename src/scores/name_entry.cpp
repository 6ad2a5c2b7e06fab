// The name entry of a new high-score row: a name of up to ten characters typed by clicking the
// symbol grid, OK and BACK with the mouse, or by moving a cursor over the same symbols with the
// keyboard or joystick.
#include "scores/name_entry.h"

#include <cstring>

#include "scores/high_scores.h"
#include "sound/sound_bank.h"
#include "state/game_state.h"
#include "state/input_state.h"

// Indexes 0 to 37 are typed; for the cursor, 38 is delete and 39 is end.
const char NameSymbols[41] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789,.;?";
char nameBuffer[11] = "          ";
int32_t nameLength = 0;
int32_t symbolCursor = 0;

namespace {
constexpr int32_t kMaxName = 10;
constexpr int32_t kCursorDelete = 38;
constexpr int32_t kCursorEnd = 39;

// Mouse zones in screen pixels, bounds inclusive.
constexpr int32_t kGridLeft = 40, kGridRight = 455, kGridTop = 328, kGridBottom = 423;
constexpr int32_t kGridCell = 32, kGridColumns = 13;
constexpr int32_t kBlankCell = 38;  // the empty last cell of the digit row types a blank
constexpr int32_t kButtonTop = 424, kButtonBottom = 455;
constexpr int32_t kBackLeft = 264, kBackRight = 343;
constexpr int32_t kOkLeft = 184, kOkRight = 231;

constexpr int kEffectType = 0;
constexpr int kEffectDelete = 1;

bool Within(int32_t v, int32_t low, int32_t high) {
  return v >= low && v <= high;
}

bool NameFull() {
  return nameLength >= kMaxName;
}

void TypeCharacter(char c) {
  nameBuffer[nameLength] = c;
  ++nameLength;
}

// True when a character was removed.
bool DeleteCharacter() {
  if (nameLength <= 0) return false;
  --nameLength;
  nameBuffer[nameLength] = ' ';
  return true;
}

// The ten characters, blanks included, replace the name of the row the tally reached. The table
// is saved at once, so a run that is killed later still keeps the new name and score.
void WriteName() {
  if (game.newRank >= 1 && game.newRank <= kHighScoreRows) {
    std::memcpy(highScores[game.newRank - 1].name, nameBuffer, kMaxName);
  }
  SaveScores();
}

// A fresh left click; true when it finished the entry (OK).
bool StepMouse() {
  const int32_t x = static_cast<int32_t>(input.mouseX);
  const int32_t y = static_cast<int32_t>(input.mouseY);
  if (Within(x, kGridLeft, kGridRight) && Within(y, kGridTop, kGridBottom)) {
    const int32_t index = ((y - kGridTop) / kGridCell) * kGridColumns + (x - kGridLeft) / kGridCell;
    if (!NameFull()) {
      TypeCharacter(index == kBlankCell ? ' ' : NameSymbols[index]);
      PlayEffect(kEffectType);
    }
  }
  if (Within(y, kButtonTop, kButtonBottom)) {
    if (Within(x, kBackLeft, kBackRight) && DeleteCharacter()) PlayEffect(kEffectDelete);
    if (Within(x, kOkLeft, kOkRight)) {
      // The sound first: the save that follows may wait on the disk.
      PlayEffect(kEffectType);
      WriteName();
      return true;
    }
  }
  return false;
}

void CursorForward() {
  if (!NameFull()) {
    symbolCursor = symbolCursor >= kCursorEnd ? 0 : symbolCursor + 1;
  } else {
    // A full name lets the cursor only swing between delete and end once it gets there.
    symbolCursor = symbolCursor >= kCursorEnd ? kCursorDelete : symbolCursor + 1;
  }
}

void CursorBack() {
  if (!NameFull()) {
    symbolCursor = symbolCursor <= 0 ? kCursorEnd : symbolCursor - 1;
  } else {
    symbolCursor = symbolCursor > kCursorDelete ? symbolCursor - 1 : kCursorEnd;
  }
}

// True when select on end finished the entry.
bool Select() {
  if (symbolCursor == kCursorDelete) {
    DeleteCharacter();
  } else if (symbolCursor == kCursorEnd) {
    WriteName();
    return true;
  } else if (symbolCursor >= 0 && symbolCursor < kCursorDelete && !NameFull()) {
    TypeCharacter(NameSymbols[symbolCursor]);
    // Back to 'A' for the next letter, or straight to end once the name is full.
    symbolCursor = NameFull() ? kCursorEnd : 0;
  }
  return false;
}
}  // namespace

void ResetNameEntry() {
  nameLength = 0;
  std::memcpy(nameBuffer, "          ", kMaxName + 1);
  symbolCursor = 0;
}

bool NameEntryStep(int step) {
  if (step == 0) {
    ResetNameEntry();
    return false;
  }
  if (step != 1) return false;

  // The mouse comes first; keys pressed in the same tick still take effect after it.
  if ((input.mousePressed & kMouseLeft) && StepMouse()) return true;
  const uint32_t pressed = input.padPressed;
  if (pressed & kButtonRight) CursorForward();
  if (pressed & kButtonLeft) CursorBack();
  if ((pressed & (kButtonFire1 | kButtonDown)) && Select()) return true;
  if (pressed & (kButtonFire2 | kButtonUp)) DeleteCharacter();
  return false;
}

void KeepTypedName() {
  const bool entering = game.gameMode == kModePlaying && game.playPhase == kPhaseNameEntry;
  if (!entering || nameLength <= 0) return;
  if (game.newRank >= 1 && game.newRank <= kHighScoreRows) {
    std::memcpy(highScores[game.newRank - 1].name, nameBuffer, kMaxName);
  }
}
