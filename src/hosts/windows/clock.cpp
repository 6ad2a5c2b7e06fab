// The machine's millisecond clock: the performance counter, which runs steadily from boot and
// does not jump when the wall clock is set.
#include "host/clock.h"

#include "hosts/windows/windows_api.h"

namespace platform {
namespace {

class PerformanceClock final : public Clock {
 public:
  uint64_t Milliseconds() override {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (frequency_ == 0) {
      LARGE_INTEGER frequency;
      QueryPerformanceFrequency(&frequency);
      frequency_ = static_cast<uint64_t>(frequency.QuadPart);
    }
    // Whole seconds and the remainder apart, so the product cannot overflow in a long run.
    const uint64_t ticks = static_cast<uint64_t>(now.QuadPart);
    return ticks / frequency_ * 1000 + ticks % frequency_ * 1000 / frequency_;
  }

 private:
  uint64_t frequency_ = 0;
};

PerformanceClock systemClock;

}  // namespace

Clock& SystemClock() {
  return systemClock;
}

}  // namespace platform
