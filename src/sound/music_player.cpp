// The music player. The game thread does everything; the stream's callback only counts finished
// blocks and, at the last one, marks the song ended. Every operation (and the game flow's look
// at `playing`) first completes such an ended song's stop on the game thread, because the stream
// functions may not be called from inside the callback.
#include "sound/music_player.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "machine/resources.h"

MusicPlayer musicPlayer;

namespace {

using platform::MidiHeader;

constexpr uint32_t kHeaderSize = sizeof(MidiHeader);
// The stream takes no block larger than this; a 'fmt ' asking for more is not a song.
constexpr uint32_t kLargestBlock = 65536;
// Every block gets a full slot whatever it holds, so a file of many tiny blocks with a large
// 'fmt ' room would ask for hundreds of megabytes. Our songs need about 50 KB; a song whose slots
// would pass this bound is refused.
constexpr uint64_t kLargestSongMemory = 4u << 20;

uint32_t Word(const uint8_t* bytes) {
  uint32_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

bool IsTag(const uint8_t* bytes, const char* tag) {
  return std::memcmp(bytes, tag, 4) == 0;
}

// Slots stay 8-byte aligned, so that every header in the row is a proper record.
size_t SlotStride(uint32_t maxBuffer) {
  return kHeaderSize + ((size_t{maxBuffer} + 7) & ~size_t{7});
}

// The stream returns every block, the slots are released, the stream closed.
void ReleaseStream() {
  MusicPlayer& p = musicPlayer;
  platform::MidiStreamStop(p.stream);
  platform::MidiOutReset(p.stream);
  const Song& song = p.songs[p.currentTrack];
  for (int i = 0; i < song.blockCount; ++i) {
    platform::MidiOutUnprepareHeader(p.stream, SongSlot(song, i), kHeaderSize);
  }
  platform::MidiStreamClose(p.stream);
}

// The stop itself.
void StopStream() {
  MusicPlayer& p = musicPlayer;
  if (p.playing == 0 || p.stream == nullptr) return;
  ReleaseStream();
  p.playing = 0;
  // The blocks this stop returned may have completed the count; the song is stopped already.
  p.songEnded.store(false, std::memory_order_release);
}

// The second half of the end-of-song stop, on the game thread.
void CompleteEndedSong() {
  if (!musicPlayer.songEnded.exchange(false, std::memory_order_acq_rel)) return;
  StopStream();
}

// A PlaySong that failed after opening the stream: hand back whatever was queued, close the
// stream, then close the player.
bool AbandonStream() {
  ReleaseStream();
  CloseMusic();
  return false;
}

}  // namespace

uint32_t TimeFormat(const Song& song) {
  return Word(song.format);
}

uint32_t MaxBuffer(const Song& song) {
  return Word(song.format + 4);
}

MidiHeader* SongSlot(const Song& song, int index) {
  return reinterpret_cast<MidiHeader*>(song.blocks +
                                       static_cast<size_t>(index) * SlotStride(MaxBuffer(song)));
}

bool OpenMusic(WindowHandle, const char* const* names, int count) {
  if (musicPlayer.songs != nullptr) CloseMusic();
  musicPlayer.deviceId = platform::kMidiMapper;
  musicPlayer.songCount = count > 0 ? count : 0;
  musicPlayer.songNames = names;
  musicPlayer.songs =
      musicPlayer.songCount > 0
          ? static_cast<Song*>(std::calloc(static_cast<size_t>(count), sizeof(Song)))
          : nullptr;
  if (musicPlayer.songs == nullptr) musicPlayer.songCount = 0;
  for (int i = 0; i < musicPlayer.songCount; ++i) LoadSong(i, names[i]);
  // The synthesizer and its soundfont load in the background while the game starts.
  platform::PrepareMidiOutput();
  return true;
}

bool LoadSong(int index, const char* name) {
  if (musicPlayer.songs == nullptr || index < 0 || index >= musicPlayer.songCount) return false;
  Song& song = musicPlayer.songs[index];
  platform::ResourceBytes resource;
  if (!platform::FindResource(name, platform::ResourceType::kMids, &resource) ||
      resource.data == nullptr) {
    return false;
  }
  std::free(song.blocks);
  song = Song{};

  const uint8_t* bytes = resource.data;
  if (resource.size < 12 || !IsTag(bytes, "RIFF") || !IsTag(bytes + 8, "MIDS")) return false;
  // The form may not claim more than the resource holds.
  const size_t formEnd = std::min(resource.size, size_t{8} + Word(bytes + 4));
  const uint8_t* data = nullptr;
  size_t dataSize = 0;
  for (size_t at = 12; at < formEnd;) {
    if (formEnd - at < 8) break;
    const size_t body = at + 8;
    const uint32_t size = Word(bytes + at + 4);
    if (size > formEnd - body) break;  // a chunk that runs past the form is not there
    if (IsTag(bytes + at, "fmt ")) {
      if (size < 12) return false;
      song.format = bytes + body;
      if (data != nullptr) break;
    } else if (IsTag(bytes + at, "data")) {
      data = bytes + body;
      dataSize = size;
      if (song.format != nullptr) break;
    }
    at = body + size + (size & 1u);
  }
  if (song.format == nullptr || data == nullptr || dataSize < 4) return false;

  // Check every block before anything is allocated: each must lie inside the 'data' chunk and
  // fit its slot.
  const int32_t blockCount = static_cast<int32_t>(Word(data));
  const uint32_t maxBuffer = MaxBuffer(song);
  if (blockCount <= 0 || maxBuffer > kLargestBlock) return false;
  if (static_cast<uint64_t>(blockCount) * SlotStride(maxBuffer) > kLargestSongMemory) return false;
  size_t offset = 4;
  for (int32_t b = 0; b < blockCount; ++b) {
    if (dataSize - offset < 8) return false;
    const uint32_t count = Word(data + offset + 4);
    if (count > maxBuffer || count > dataSize - offset - 8) return false;
    offset += 8 + count;
  }

  const size_t stride = SlotStride(maxBuffer);
  auto* blocks = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(blockCount) * stride));
  if (blocks == nullptr) {
    CloseMusic();
    return false;
  }
  offset = 4;
  for (int32_t b = 0; b < blockCount; ++b) {
    uint8_t* slot = blocks + static_cast<size_t>(b) * stride;
    const uint32_t count = Word(data + offset + 4);
    auto* header = new (slot) MidiHeader{};
    header->lpData = reinterpret_cast<char*>(slot + kHeaderSize);
    header->dwBufferLength = maxBuffer;
    header->dwBytesRecorded = count;
    std::memcpy(slot + kHeaderSize, data + offset + 8, count);
    offset += 8 + count;
  }
  song.blocks = blocks;
  song.blockCount = blockCount;
  return true;
}

bool PlaySong(int track) {
  CompleteEndedSong();
  MusicPlayer& p = musicPlayer;
  if (p.playing == 1) return true;
  // A closed player, a track that does not exist, or a song that did not load: no music.
  if (p.songs == nullptr || track < 0 || track >= p.songCount) return false;
  const Song& song = p.songs[track];
  if (song.blocks == nullptr || song.format == nullptr) return false;

  p.currentTrack = track;
  p.songEnded.store(false, std::memory_order_release);
  if (platform::MidiStreamOpen(&p.stream, &p.deviceId, 1, MusicCallback,
                               reinterpret_cast<uintptr_t>(&musicPlayer),
                               platform::kCallbackFunction) != platform::kMidiOk) {
    CloseMusic();
    return false;
  }
  platform::MidiStreamPause(p.stream);
  platform::MidiPropTimeDiv timeDiv{sizeof(platform::MidiPropTimeDiv), TimeFormat(song)};
  if (platform::MidiStreamProperty(p.stream, reinterpret_cast<uint8_t*>(&timeDiv),
                                   platform::kMidiPropSet | platform::kMidiPropTimeDiv) !=
      platform::kMidiOk) {
    return AbandonStream();
  }
  p.doneBlocks.store(0, std::memory_order_release);
  for (int i = 0; i < song.blockCount; ++i) {
    MidiHeader* slot = SongSlot(song, i);
    if (platform::MidiOutPrepareHeader(p.stream, slot, kHeaderSize) != platform::kMidiOk ||
        platform::MidiStreamOut(p.stream, slot, kHeaderSize) != platform::kMidiOk) {
      return AbandonStream();
    }
  }
  if (platform::MidiStreamRestart(p.stream) != platform::kMidiOk) return AbandonStream();
  p.playing = 1;
  return true;
}

void StopMusic() {
  CompleteEndedSong();
  StopStream();
}

void PauseMusic() {
  CompleteEndedSong();
  MusicPlayer& p = musicPlayer;
  if (p.playing != 1 || p.stream == nullptr || p.paused == 1) return;
  if (platform::MidiStreamPause(p.stream) == platform::kMidiOk) p.paused = 1;
}

void ResumeMusic() {
  CompleteEndedSong();
  MusicPlayer& p = musicPlayer;
  if (p.playing != 1 || p.stream == nullptr || p.paused == 0) return;
  if (platform::MidiStreamRestart(p.stream) == platform::kMidiOk) p.paused = 0;
}

void CloseMusic() {
  MusicPlayer& p = musicPlayer;
  StopStream();
  p.stream = nullptr;
  if (p.songs != nullptr) {
    for (int i = 0; i < p.songCount; ++i) std::free(p.songs[i].blocks);
    std::free(p.songs);
  }
  // Nothing that comes later may reach the released memory.
  p.songs = nullptr;
  p.songCount = 0;
  p.songEnded.store(false, std::memory_order_release);
}

void MusicCallback(platform::MidiStreamHandle, uint32_t message, uintptr_t instance, uintptr_t,
                   uintptr_t) {
  if (instance == 0 || message != platform::kMidiBlockDone) return;
  auto* player = reinterpret_cast<MusicPlayer*>(instance);
  const uint32_t done = player->doneBlocks.fetch_add(1, std::memory_order_acq_rel) + 1;
  if (player->songs == nullptr) return;
  if (done >= static_cast<uint32_t>(player->songs[player->currentTrack].blockCount)) {
    player->songEnded.store(true, std::memory_order_release);
  }
}

bool MusicPlaying() {
  CompleteEndedSong();
  return musicPlayer.playing == 1;
}

void ResetMusicPlayer() {
  CloseMusic();
  MusicPlayer& p = musicPlayer;
  p.doneBlocks.store(0);
  p.deviceId = 0;
  p.paused = 0;
  p.currentTrack = 0;
  p.songNames = nullptr;
  p.playing = 0;
}
