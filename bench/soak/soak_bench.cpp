// Plays a million ticks (or argv[1]) of random games headless and reports what it saw; exits 1
// when an invariant broke.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "soak.h"
#include "temp_dir.h"

int main(int argc, char** argv) {
  const int64_t ticks = argc > 1 ? std::atoll(argv[1]) : 1000000;
  const uint32_t seed = argc > 2 ? static_cast<uint32_t>(std::atoll(argv[2])) : 1;
  TempWorkingDir dir;
  const auto start = std::chrono::steady_clock::now();
  const SoakReport report = RunSoak(ticks, seed);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("soak: %lld ticks (%.1f hours of play) in %.1f s, %d games, %d ranked, %lld pops\n",
              static_cast<long long>(report.ticks), report.ticks / 60.0 / 3600.0, seconds,
              report.games, report.ranked, static_cast<long long>(report.pops));
  if (!report.failure.empty()) {
    std::printf("soak FAILED at %s\n", report.failure.c_str());
    return 1;
  }
  std::printf("soak: every invariant held\n");
  return 0;
}
