// The sound device on Windows: WASAPI in shared mode, event-driven, on a thread of its own that
// pulls the game's mixer for every period the device asks for. The device plays at its own mix
// rate; the mixer renders stereo float and this thread writes it in the device's format.
//
// Without a device the same thread keeps the mixer's clock on a timer instead, its samples
// discarded: the music goes to the system's MIDI synthesizer as the mixer renders it, so the songs
// keep playing in time where a MIDI device exists. A device lost while the game runs (unplugged)
// is asked for again once a second, at the rate the mixer already runs at.
#include "host/audio_device.h"

#include "hosts/windows/windows_audio.h"
// After <windows.h>, which they need.
#include <audioclient.h>
#include <mmdeviceapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

#include "machine/audio.h"
#include "machine/audio_mixer.h"

namespace platform {
namespace {

// 20 ms of buffer: WASAPI's shared period is 10 ms, so a pop starts within ~20 ms of its tick.
constexpr REFERENCE_TIME kBufferDuration = 200000;  // in 100 ns
constexpr int kRateWithoutDevice = 44100;
// Without a device: how often the clock renders, the most it renders at once (after a stall the
// music is late rather than played in a burst), and how often a lost device is asked for again.
constexpr DWORD kClockSliceMs = 10;
constexpr int kClockMaxFrames = 4096;
constexpr DWORD kRetryMs = 1000;
// KSDATAFORMAT_SUBTYPE_IEEE_FLOAT, which MinGW-w64 declares but no library of it defines.
constexpr GUID kFloatSubtype = {
    0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

template <typename T>
void Release(T*& object) {
  if (object != nullptr) object->Release();
  object = nullptr;
}

// One open WASAPI stream and what writing into it needs; the sound thread's alone.
struct Stream {
  IMMDeviceEnumerator* enumerator = nullptr;
  IMMDevice* device = nullptr;
  IAudioClient* client = nullptr;
  IAudioRenderClient* render = nullptr;
  HANDLE ready = nullptr;  // WASAPI sets it whenever a period wants filling
  UINT32 bufferFrames = 0;
  int rate = 0;
  int channels = 0;
  int bytesPerSample = 0;
  bool isFloat = false;
  std::vector<float> mix;  // the mixer's stereo frames, one buffer's worth
};

void Close(Stream* s) {
  if (s->client != nullptr) s->client->Stop();
  Release(s->render);
  Release(s->client);
  Release(s->device);
  Release(s->enumerator);
  if (s->ready != nullptr) CloseHandle(s->ready);
  s->ready = nullptr;
}

bool Failed(HRESULT result, Stream* s) {
  if (SUCCEEDED(result)) return false;
  Close(s);
  return true;
}

// Reads the format the device will be written in: float or integer, its size, its channels.
bool TakeFormat(const WAVEFORMATEX& format, Stream* s) {
  s->channels = format.nChannels;
  s->bytesPerSample = format.wBitsPerSample / 8;
  s->rate = static_cast<int>(format.nSamplesPerSec);
  s->isFloat = format.wFormatTag == WAVE_FORMAT_IEEE_FLOAT;
  if (format.wFormatTag == WAVE_FORMAT_EXTENSIBLE && format.cbSize >= 22) {
    const auto& extensible = reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(format);
    s->isFloat = IsEqualGUID(extensible.SubFormat, kFloatSubtype) != 0;
  }
  if (s->channels < 1 || s->rate <= 0) return false;
  return s->isFloat ? s->bytesPerSample == 4
                    : s->bytesPerSample == 2 || s->bytesPerSample == 3 || s->bytesPerSample == 4;
}

// Opens the default output. `rate` 0 takes the device's own mix rate; any other rate is asked
// for as stereo float, which Windows converts (a device that came back after a loss).
bool Open(Stream* s, int rate) {
  *s = Stream{};
  if (Failed(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                              IID_PPV_ARGS(&s->enumerator)),
             s) ||
      Failed(s->enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &s->device), s) ||
      Failed(s->device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                                 reinterpret_cast<void**>(&s->client)),
             s)) {
    return false;
  }
  WAVEFORMATEX* mixFormat = nullptr;
  if (Failed(s->client->GetMixFormat(&mixFormat), s)) return false;
  DWORD flags = AUDCLNT_STREAMFLAGS_EVENTCALLBACK | AUDCLNT_STREAMFLAGS_NOPERSIST;
  WAVEFORMATEXTENSIBLE asked{};
  const WAVEFORMATEX* format = mixFormat;
  if (rate != 0 && static_cast<int>(mixFormat->nSamplesPerSec) != rate) {
    asked.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    asked.Format.nChannels = 2;
    asked.Format.nSamplesPerSec = static_cast<DWORD>(rate);
    asked.Format.wBitsPerSample = 32;
    asked.Format.nBlockAlign = 8;
    asked.Format.nAvgBytesPerSec = static_cast<DWORD>(rate) * 8;
    asked.Format.cbSize = sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX);
    asked.Samples.wValidBitsPerSample = 32;
    asked.dwChannelMask = SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT;
    asked.SubFormat = kFloatSubtype;
    format = &asked.Format;
    flags |= AUDCLNT_STREAMFLAGS_AUTOCONVERTPCM | AUDCLNT_STREAMFLAGS_SRC_DEFAULT_QUALITY;
  }
  const bool usable = TakeFormat(*format, s);
  const HRESULT initialized = usable ? s->client->Initialize(AUDCLNT_SHAREMODE_SHARED, flags,
                                                             kBufferDuration, 0, format, nullptr)
                                     : E_FAIL;
  CoTaskMemFree(mixFormat);
  if (Failed(initialized, s)) return false;
  s->ready = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (s->ready == nullptr || Failed(s->client->SetEventHandle(s->ready), s) ||
      Failed(s->client->GetBufferSize(&s->bufferFrames), s) ||
      Failed(s->client->GetService(IID_PPV_ARGS(&s->render)), s)) {
    Close(s);
    return false;
  }
  s->mix.assign(2 * static_cast<size_t>(s->bufferFrames), 0.0f);
  return true;
}

// One stereo float sample in the device's sample format at `to`.
void WriteSample(float value, const Stream& s, BYTE* to) {
  if (s.isFloat) {
    *reinterpret_cast<float*>(to) = value;
    return;
  }
  const double v = std::clamp(static_cast<double>(value), -1.0, 1.0);
  const auto whole = static_cast<int32_t>(std::lrint(v * 2147483647.0));
  // Little-endian: the top bytes of the 32-bit sample are the 16- or 24-bit one.
  for (int i = 0; i < s.bytesPerSample; ++i) {
    to[i] = static_cast<BYTE>(static_cast<uint32_t>(whole) >> (8 * (4 - s.bytesPerSample + i)));
  }
}

// Fills what the device has room for; false when the device is gone.
bool Fill(Stream* s, UINT32 room) {
  if (room == 0) return true;
  BYTE* data = nullptr;
  if (FAILED(s->render->GetBuffer(room, &data))) return false;
  RenderAudio(s->mix.data(), static_cast<int>(room));
  const size_t frameBytes = static_cast<size_t>(s->channels) * s->bytesPerSample;
  for (UINT32 f = 0; f < room; ++f) {
    const float left = s->mix[2 * f];
    const float right = s->mix[2 * f + 1];
    BYTE* frame = data + f * frameBytes;
    for (int c = 0; c < s->channels; ++c) {
      // Mono hears both sides; channels past the front pair (centre, surround) stay silent.
      float value = c == 0 ? left : c == 1 ? right : 0.0f;
      if (s->channels == 1) value = 0.5f * (left + right);
      WriteSample(value, *s, frame + static_cast<size_t>(c) * s->bytesPerSample);
    }
  }
  return SUCCEEDED(s->render->ReleaseBuffer(room, 0));
}

bool Start(Stream* s) {
  if (!Fill(s, s->bufferFrames) || FAILED(s->client->Start())) {
    Close(s);
    return false;
  }
  return true;
}

// ---- The sound thread ----

std::thread soundThread;
HANDLE stopEvent = nullptr;

// The mixer's clock without a device: renders the frames the elapsed time is due, discarding
// them, in slices of kClockSliceMs, until the stop event or until `retry` finds a device again.
void KeepClock(int rate, bool retry, Stream* stream) {
  std::vector<float> discard(2 * kClockMaxFrames);
  LARGE_INTEGER frequency;
  LARGE_INTEGER start;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  long long rendered = 0;
  ULONGLONG lastTry = GetTickCount64();
  while (WaitForSingleObject(stopEvent, kClockSliceMs) == WAIT_TIMEOUT) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const long long due = (now.QuadPart - start.QuadPart) * rate / frequency.QuadPart;
    const long long frames = std::min<long long>(due - rendered, kClockMaxFrames);
    if (frames > 0) RenderAudio(discard.data(), static_cast<int>(frames));
    rendered = std::max(rendered + frames, due - kClockMaxFrames);
    if (retry && GetTickCount64() - lastTry >= kRetryMs) {
      lastTry = GetTickCount64();
      if (Open(stream, rate) && Start(stream)) return;
    }
  }
}

void RunDevice(Stream* stream) {
  for (;;) {
    if (stream->client == nullptr) {
      KeepClock(stream->rate, true, stream);
      if (stream->client == nullptr) return;  // stopped while waiting for a device
    }
    const HANDLE events[] = {stopEvent, stream->ready};
    const DWORD woke = WaitForMultipleObjects(2, events, FALSE, 2000);
    if (woke == WAIT_OBJECT_0) return;
    UINT32 padding = 0;
    const bool alive = SUCCEEDED(stream->client->GetCurrentPadding(&padding)) &&
                       Fill(stream, stream->bufferFrames - padding);
    if (!alive) {
      const int rate = stream->rate;
      Close(stream);
      stream->rate = rate;
    }
  }
}

// What the thread tells its starter once it knows: the rate it opened the device at, or 0.
int openedRate = 0;
HANDLE openedEvent = nullptr;

void Opened(int rate) {
  openedRate = rate;
  SetEvent(openedEvent);
}

// The thread's whole life: opens the device (and tells the starter), then plays until the stop
// event. With `clockOnly` it opens nothing and only keeps the clock.
void SoundThread(bool clockOnly) {
  const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  Stream stream;
  if (clockOnly) {
    Opened(0);
    KeepClock(kRateWithoutDevice, false, &stream);
  } else if (com && Open(&stream, 0)) {
    // The mixer learns the rate before it renders a single frame.
    StartMixer(stream.rate);
    const bool started = Start(&stream);
    Opened(started ? stream.rate : 0);
    if (started) RunDevice(&stream);
    Close(&stream);
  } else {
    Opened(0);
  }
  if (com) CoUninitialize();
}

// Starts the sound thread; the rate it opened the device at, or 0.
int StartSoundThread(bool clockOnly) {
  stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  openedEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (stopEvent == nullptr || openedEvent == nullptr) {
    if (stopEvent != nullptr) CloseHandle(stopEvent);
    if (openedEvent != nullptr) CloseHandle(openedEvent);
    stopEvent = nullptr;
    openedEvent = nullptr;
    return 0;
  }
  soundThread = std::thread(SoundThread, clockOnly);
  WaitForSingleObject(openedEvent, INFINITE);
  return openedRate;
}

void StopSoundThread() {
  if (!soundThread.joinable()) return;
  SetEvent(stopEvent);
  soundThread.join();
  CloseHandle(stopEvent);
  CloseHandle(openedEvent);
  stopEvent = nullptr;
  openedEvent = nullptr;
}

}  // namespace

bool OpenAudioDevice() {
  if (CurrentAudioDevice() != nullptr) return true;
  StopSoundThread();  // a clock running without a device gives way
  if (StartSoundThread(false) != 0) return true;
  StopSoundThread();
  StopMixer();
  std::fprintf(stderr, "skypop: no audio device; playing without sound\n");
  return false;
}

void CloseAudioDevice() {
  StopSoundThread();
  StopMixer();
}

void KeepMusicTime() {
  if (!soundThread.joinable()) StartSoundThread(true);
}

}  // namespace platform
