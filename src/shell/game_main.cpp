#include "shell/game_main.h"

#include "display/display.h"
#include "game/game_flow.h"
#include "game/random_source.h"
#include "host/joystick.h"
#include "host/window.h"
#include "machine/audio.h"
#include "scores/high_scores.h"
#include "shell/frame_loop.h"
#include "shell/window_procedure.h"
#include "sound/music_player.h"
#include "sound/sound_bank.h"
#include "state/input_state.h"

namespace {

// Track 0 plays during the wave, track 1 during the name entry.
constexpr const char* kSongNames[] = {"BOSA", "PARIS"};
// Effect 0 is the pop, effect 1 the delete whistle.
constexpr const char* kEffectNames[] = {"BANN", "HYUU"};

// Everything after the window exists; false when the display could not be opened (it has then
// reported the failure and destroyed the window).
bool OpenSubsystems(WindowHandle window, platform::Clock& clock, SoundChoice sound) {
  // The sound subsystems attach to the one audio device, so it comes first. Sound and music
  // failures leave the game silent; nobody looks at their results. Without the device the sound
  // bank stays silent as on a machine without a sound card, and skipping the music spares
  // loading the synthesizer.
  if (sound.sound) platform::OpenAudioDevice();
  if (sound.music) OpenMusic(window, kSongNames, 2);
  OpenSoundBank(window, kEffectNames, 2);
  platform::CaptureJoystick(window);
  platform::ShowWindow(window);
  // The one sheet: every sprite and glyph comes from the 512 x 512 bitmap resource "char".
  displayContext.spriteTable = kSpriteTable.data();
  displayContext.sheetName = "char";
  displayContext.sheetWidth = 512;
  displayContext.sheetHeight = 512;
  if (OpenDisplay(window) == 0) return false;
  platform::ShowPointer(false);  // the game draws its own cross-hair
  input.keyRaw = 0;
  input.keyPrev = 0;
  LoadScores();
  game.gameMode = kModeBoot;
  ResetRandom();
  StartFrameLoop(clock);
  return true;
}

}  // namespace

WindowHandle OpenGame(platform::Clock& clock, SoundChoice sound) {
  WindowHandle window = platform::CreateGameWindow("SKYPOP FRENZY", WindowProcedure);
  if (window == nullptr || !OpenSubsystems(window, clock, sound)) return nullptr;
  return window;
}

void CloseGame() {
  // The window's teardown has closed every subsystem; what is left is the machine itself.
  platform::CloseAudioDevice();
  platform::ShutDownPlatform();
}

int GameMain(platform::Clock& clock, platform::MessageSource& messages, SoundChoice sound) {
  // A game that could not show itself has failed, whatever it did not get to do; the platform
  // has said why on stderr (the window) or in a message box (the display).
  int exitCode = 1;
  WindowHandle window = OpenGame(clock, sound);
  if (window != nullptr) exitCode = RunFrameLoop(window, clock, messages);
  CloseGame();
  return exitCode;
}
