// Turns the recipes into samples. Everything here is plain double arithmetic and a fixed noise
// generator, so a run gives the same bytes every time.
#include "effect_synth.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace effects {
namespace {

constexpr double kPi = 3.14159265358979323846;

// A small fixed generator for the noise: the same stream on every machine and every run.
class Noise {
 public:
  explicit Noise(unsigned seed) : state_(seed != 0 ? seed : 1u) {}
  double Next() {  // uniform in -1..1
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_ >> 8) / 8388608.0 - 1.0;
  }

 private:
  uint32_t state_;
};

// A state-variable filter in its trapezoidal form: stable at any centre frequency, so the band
// can sweep right up near the top of the 11 kHz range without blowing up.
class BandFilter {
 public:
  struct Out {
    double band;  // band-pass, unity gain at the centre
    double high;  // high-pass
  };
  Out Step(double in, double centreHz, double q) {
    const double g = std::tan(kPi * centreHz / kRate);
    const double k = 1.0 / q;
    const double a1 = 1.0 / (1.0 + g * (g + k));
    const double a2 = g * a1;
    const double a3 = g * a2;
    const double v3 = in - ic2_;
    const double v1 = a1 * ic1_ + a2 * v3;
    const double v2 = ic2_ + a2 * ic1_ + a3 * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    return Out{k * v1, in - k * v1 - v2};
  }

 private:
  double ic1_ = 0.0;
  double ic2_ = 0.0;
};

double Seconds(int i) {
  return static_cast<double>(i) / kRate;
}
double Ms(double ms) {
  return ms / 1000.0;
}

// Removes the mean without moving the ends: the correction follows the sound's own envelope,
// which is zero where the sound is silent.
void RemoveOffset(std::vector<double>& x, const std::vector<double>& envelope) {
  double sum = 0.0;
  double weight = 0.0;
  for (size_t i = 0; i < x.size(); ++i) {
    sum += x[i];
    weight += envelope[i];
  }
  if (weight == 0.0) return;
  for (size_t i = 0; i < x.size(); ++i) x[i] -= sum / weight * envelope[i];
}

double Peak(const std::vector<double>& x) {
  double peak = 0.0;
  for (double v : x) peak = std::max(peak, std::fabs(v));
  return peak;
}

double Energy(const std::vector<double>& x) {
  double energy = 0.0;
  for (double v : x) energy += v * v;
  return energy;
}

void Scale(std::vector<double>& x, double factor) {
  for (double& v : x) v *= factor;
}

// 8-bit unsigned samples: 128 is silence, 128 steps either way is full scale.
std::vector<uint8_t> Quantize(const std::vector<double>& x) {
  std::vector<uint8_t> out(x.size());
  for (size_t i = 0; i < x.size(); ++i) {
    out[i] = static_cast<uint8_t>(std::clamp(128L + std::lround(x[i] * 128.0), 0L, 255L));
  }
  return out;
}

void Put16(std::vector<uint8_t>& out, unsigned v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>(v >> 8 & 0xFF));
}

void Put32(std::vector<uint8_t>& out, unsigned v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

std::vector<uint8_t> WaveFile(const std::vector<uint8_t>& samples) {
  const auto count = static_cast<unsigned>(samples.size());
  std::vector<uint8_t> out;
  out.reserve(44 + samples.size() + 1);
  PutTag(out, "RIFF");
  Put32(out, 4 + 8 + 16 + 8 + count);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(out, 16);
  Put16(out, 1);      // PCM
  Put16(out, 1);      // mono
  Put32(out, kRate);  // samples per second
  Put32(out, kRate);  // bytes per second
  Put16(out, 1);      // block alignment
  Put16(out, 8);      // bits per sample
  PutTag(out, "data");
  Put32(out, count);
  for (uint8_t sample : samples) out.push_back(sample);
  if (count % 2 != 0) out.push_back(0);  // never for our even-length effects
  return out;
}

// The last `ms` fall to zero along half a cosine, the very last sample exactly zero.
void FadeOut(std::vector<double>& x, std::vector<double>& envelope, double ms) {
  const int length = std::max(1, static_cast<int>(std::lround(Ms(ms) * kRate)));
  const int first = kSamples - length;
  for (int i = std::max(first, 0); i < kSamples; ++i) {
    const double gain = 0.5 * (1.0 + std::cos(kPi * (i - first + 1) / length));
    x[static_cast<size_t>(i)] *= gain;
    envelope[static_cast<size_t>(i)] *= gain;
  }
}

}  // namespace

std::vector<double> SynthesizePop(const PopRecipe& r) {
  std::vector<double> x(kSamples);
  std::vector<double> envelope(kSamples);
  Noise noise(r.noiseSeed);
  BandFilter filter;
  double thumpPhase = 0.0;
  for (int i = 0; i < kSamples; ++i) {
    const double t = Seconds(i);
    const double burstGain = std::min(1.0, t / Ms(r.attackMs)) * std::exp(-t / Ms(r.decayMs));
    const double centre =
        r.brightEndHz + (r.brightStartHz - r.brightEndHz) * std::exp(-t / Ms(r.brightSweepMs));
    const BandFilter::Out band = filter.Step(noise.Next(), centre, r.bandQ);
    const double burst = burstGain * (band.band + r.airLevel * band.high);

    const double thumpHz =
        r.thumpEndHz + (r.thumpStartHz - r.thumpEndHz) * std::exp(-t / Ms(r.thumpDropMs));
    thumpPhase += 2.0 * kPi * thumpHz / kRate;
    const double thumpGain =
        r.thumpLevel * std::min(1.0, t / Ms(1.0)) * std::exp(-t / Ms(r.thumpDecayMs));
    x[static_cast<size_t>(i)] = burst + thumpGain * std::sin(thumpPhase);
    envelope[static_cast<size_t>(i)] = burstGain + thumpGain;
  }
  FadeOut(x, envelope, r.fadeOutMs);
  RemoveOffset(x, envelope);
  Scale(x, std::pow(10.0, r.peakDbfs / 20.0) / Peak(x));
  return x;
}

std::vector<double> SynthesizeWhistle(const WhistleRecipe& r) {
  std::vector<double> x(kSamples);
  std::vector<double> envelope(kSamples);
  double phase = 0.0;
  for (int i = 0; i < kSamples; ++i) {
    const double t = Seconds(i);
    const double along = static_cast<double>(i) / (kSamples - 1);  // 0 .. 1 over the clip
    const double glide = r.startHz * std::pow(r.endHz / r.startHz, along);
    const double vibrato =
        std::pow(2.0, r.vibratoCents / 1200.0 * std::sin(2.0 * kPi * r.vibratoHz * t));
    phase += 2.0 * kPi * glide * vibrato / kRate;
    double gain = std::min(1.0, t / Ms(r.attackMs));
    if (along > r.holdShare)
      gain *= std::pow(1.0 - (along - r.holdShare) / (1.0 - r.holdShare), r.fadePower);
    x[static_cast<size_t>(i)] = gain * (std::sin(phase) + r.overtoneLevel * std::sin(2.0 * phase));
    envelope[static_cast<size_t>(i)] = gain;
  }
  RemoveOffset(x, envelope);
  return x;
}

std::vector<uint8_t> MakeBann() {
  return WaveFile(Quantize(SynthesizePop(PopRecipe{})));
}

std::vector<uint8_t> MakeHyuu() {
  // The whistle takes the pop's energy over the clip, so the two sound equally loud.
  const std::vector<double> pop = SynthesizePop(PopRecipe{});
  std::vector<double> whistle = SynthesizeWhistle(WhistleRecipe{});
  Scale(whistle, std::sqrt(Energy(pop) / Energy(whistle)));
  return WaveFile(Quantize(whistle));
}

}  // namespace effects
