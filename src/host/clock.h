// The millisecond clock the frame loop paces itself by.
#pragma once

#include <cstdint>

namespace platform {

// Milliseconds since some fixed start; 64 bits, so it never wraps in a real run.
class Clock {
 public:
  virtual ~Clock() = default;
  // The current reading.
  virtual uint64_t Milliseconds() = 0;
};

// The machine's clock.
Clock& SystemClock();

}  // namespace platform
