// Converts a clip's samples once, at load time, with SDL's own converter: it resamples with a
// proper filter and, unlike SDL_AudioStream without a flush, keeps every frame of the tail.
#include "host/clip_conversion.h"

#include <SDL.h>

#include <cstring>
#include <memory>
#include <new>

namespace platform {
namespace {

constexpr size_t kLargestWorkBytes = size_t{1} << 30;  // well inside SDL's int lengths

// The SDL sample format for a wave format, or 0 when SDL cannot read it.
SDL_AudioFormat SdlFormatOf(const WaveFormat& format) {
  if (format.formatTag == kWaveFormatPcm) {
    switch (format.bitsPerSample) {
      case 8:
        return AUDIO_U8;
      case 16:
        return AUDIO_S16LSB;
      case 32:
        return AUDIO_S32LSB;
      default:
        return 0;
    }
  }
  if (format.formatTag == kWaveFormatFloat && format.bitsPerSample == 32) return AUDIO_F32LSB;
  return 0;
}

}  // namespace

bool ConvertToMixerFormat(const WaveFormat& format, const uint8_t* samples, size_t byteCount,
                          int rate, std::vector<float>* out) {
  const SDL_AudioFormat from = SdlFormatOf(format);
  if (from == 0 || format.channels == 0 || format.channels > 8 || rate <= 0) return false;
  if (format.samplesPerSecond == 0 || format.samplesPerSecond > kHighestClipRate) return false;
  if (format.blockAlign != format.channels * format.bitsPerSample / 8) return false;
  if (byteCount > kLargestClipBytes || (samples == nullptr && byteCount != 0)) return false;
  out->clear();
  // A torn last frame is dropped rather than read past.
  const size_t bytes = byteCount - byteCount % format.blockAlign;
  if (bytes == 0) return true;

  SDL_AudioCVT cvt;
  if (SDL_BuildAudioCVT(&cvt, from, static_cast<Uint8>(format.channels),
                        static_cast<int>(format.samplesPerSecond), AUDIO_F32SYS, 2, rate) < 0) {
    return false;
  }
  // SDL keeps lengths in an int; a work buffer it cannot address is refused, not wrapped.
  const size_t room = bytes * static_cast<size_t>(cvt.len_mult);
  if (cvt.len_mult <= 0 || room / static_cast<size_t>(cvt.len_mult) != bytes ||
      room > kLargestWorkBytes) {
    return false;
  }
  std::unique_ptr<Uint8[]> work(new (std::nothrow) Uint8[room]);
  if (!work) return false;
  std::memcpy(work.get(), samples, bytes);
  cvt.buf = work.get();
  cvt.len = static_cast<int>(bytes);
  if (cvt.needed && SDL_ConvertAudio(&cvt) != 0) return false;
  const size_t converted = cvt.needed ? static_cast<size_t>(cvt.len_cvt) : bytes;
  const size_t values = converted / sizeof(float);
  try {
    out->resize(values - values % 2);
  } catch (const std::bad_alloc&) {
    return false;
  }
  // A clip shorter than one frame at the mixer's rate converts to nothing: there is nothing to
  // copy, and an empty vector's data() may be null.
  if (!out->empty()) std::memcpy(out->data(), work.get(), out->size() * sizeof(float));
  return true;
}

}  // namespace platform
