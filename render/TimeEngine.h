#pragma once

#include <cstdint>
#include <deque>
#include <functional>

// The frame timer: the time between two updates, smoothed over the last 10 frames. The view's
// paint calls updateHighTimer() once at the start of every frame and hands getHighDeltaTime() to
// the renderer, so the animations advance by the smoothed value.
class TimeEngine {
 public:
  // A monotonic clock in ticks; the timebase turns ticks into nanoseconds. Tests pass their own.
  using Clock = std::function<std::uint64_t()>;
  struct Timebase {
    std::uint32_t numer = 0;   // nanoseconds = ticks * numer / denom
    std::uint32_t denom = 0;   // 0 until read from the clock
  };

  static constexpr int SmoothedFrames = 10;

  static TimeEngine* Instance;   // null until the first instance() call; never destroyed
  static TimeEngine* instance();

  // The steady clock of the standard library, with its own timebase.
  TimeEngine();
  TimeEngine(Clock clock, Timebase base);

  std::deque<double> frameTimes;   // the last 10 frame times in seconds, oldest first
  std::uint64_t lastTick = 0;
  std::uint64_t currentTick = 0;
  std::uint64_t elapsedTicks = 0;
  std::uint64_t elapsedNanoseconds = 0;
  Timebase timebase;
  float highDeltaTime = 0.0f;   // seconds, the mean of frameTimes
  float lastDeltaTime = 0.0f;   // seconds, the latest frame

  void updateHighTimer();
  float getHighDeltaTime() const { return highDeltaTime; }
  // Frames per second of the smoothed frame time; 0 before any time has passed.
  float getFPS() const { return highDeltaTime > 0.0f ? 1.0f / highDeltaTime : 0.0f; }

 private:
  Clock clock;
};
