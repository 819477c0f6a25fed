// System clock with a test seam; see log_clock.h.
#include "logging/log_clock.h"

#include <atomic>
#include <chrono>

namespace zlog {
namespace {

std::atomic<ClockFunction> gClock{nullptr};

}  // namespace

int64_t nowMillis() {
  if (ClockFunction clock = gClock.load(std::memory_order_acquire)) return clock();
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

void setClockForTesting(ClockFunction clock) { gClock.store(clock, std::memory_order_release); }

}  // namespace zlog
