// The browser's millisecond clock: the page's high-resolution time, or the test page's hand-moved
// clock.
#include "host/clock.h"

#include "hosts/web/page_glue.h"

namespace platform {
namespace {

class PageClock final : public Clock {
 public:
  uint64_t Milliseconds() override { return static_cast<uint64_t>(skypop_clock_ms()); }
};

PageClock systemClock;

}  // namespace

Clock& SystemClock() {
  return systemClock;
}

}  // namespace platform
