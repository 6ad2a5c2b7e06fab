// The machine's millisecond clock: SDL's 64-bit tick count, which does not wrap in practice.
#include "host/clock.h"

#include <SDL.h>

namespace platform {
namespace {

class SdlClock final : public Clock {
 public:
  uint64_t Milliseconds() override { return SDL_GetTicks64(); }
};

SdlClock systemClock;

}  // namespace

Clock& SystemClock() {
  return systemClock;
}

}  // namespace platform
