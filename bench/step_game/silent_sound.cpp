// The sound bank and music player reduced to nothing, so the benchmark times the game logic
// alone. The music reads as playing, so the flow asks for nothing at the end of the tick.
#include "sound/music_player.h"
#include "sound/sound_bank.h"

void OpenSoundBank(WindowHandle, const char* const*, int) {}
bool LoadEffect(int, const char*) {
  return true;
}
void PlayEffect(int) {}
void CloseSoundBank() {}
bool OpenMusic(WindowHandle, const char* const*, int) {
  return true;
}
bool LoadSong(int, const char*) {
  return true;
}
bool PlaySong(int) {
  return true;
}
void StopMusic() {}
void PauseMusic() {}
void ResumeMusic() {}
void CloseMusic() {}
bool MusicPlaying() {
  return true;
}
