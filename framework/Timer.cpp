#include "framework/Timer.h"

#include "platform/Platform.h"

// A counter slower than 1000 ticks a second (or one whose frequency could not
// be read) would make the millisecond divisor zero; both divisors are kept at
// one tick or more instead.
namespace {
int64_t AtLeastOne(int64_t divisor) { return divisor < 1 ? 1 : divisor; }
}  // namespace

Timer::Timer() : currentCount(0), startCount(0), frequency(platform::PerformanceFrequency()) {}

void Timer::Reset() {
  currentCount = 0;
  startCount = platform::PerformanceCounter();
}

uint32_t Timer::ElapsedMs() {
  currentCount = platform::PerformanceCounter();
  const int64_t ticksPerMs = AtLeastOne(frequency / 1000);
  return static_cast<uint32_t>((currentCount - startCount) / ticksPerMs);
}

uint32_t Timer::ElapsedSeconds() {
  currentCount = platform::PerformanceCounter();
  return static_cast<uint32_t>((currentCount - startCount) / AtLeastOne(frequency));
}
