// High-resolution stopwatch over the platform's performance counter.
#pragma once

#include <cstdint>

class Timer {
 public:
  // Reads the counter frequency; both counts start at 0, so a Timer read
  // before its first Reset counts from the counter's zero.
  Timer();

  // Starts counting from now.
  void Reset();

  // Milliseconds since Reset: (count - start) / (frequency / 1000), both
  // 64-bit divisions truncating, the low 32 bits of the quotient. Runs slightly
  // fast when the frequency is not a multiple of 1000.
  uint32_t ElapsedMs();

  // Whole seconds since Reset, the low 32 bits of (count - start) / frequency.
  uint32_t ElapsedSeconds();

  int64_t currentCount;
  int64_t startCount;
  int64_t frequency;
};
