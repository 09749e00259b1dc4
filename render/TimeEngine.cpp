#include "render/TimeEngine.h"

#include <chrono>
#include <utility>

TimeEngine* TimeEngine::Instance = nullptr;

TimeEngine* TimeEngine::instance() {
  if (Instance == nullptr) Instance = new TimeEngine();
  return Instance;
}

namespace {
using Steady = std::chrono::steady_clock;

std::uint64_t steadyTicks() {
  return static_cast<std::uint64_t>(Steady::now().time_since_epoch().count());
}

// Ticks of the steady clock in nanoseconds: its period is num/den seconds.
TimeEngine::Timebase steadyTimebase() {
  using PerNanosecond = std::ratio_divide<Steady::period, std::nano>;
  return {static_cast<std::uint32_t>(PerNanosecond::num),
          static_cast<std::uint32_t>(PerNanosecond::den)};
}
}  // namespace

TimeEngine::TimeEngine() : TimeEngine(&steadyTicks, steadyTimebase()) {}

TimeEngine::TimeEngine(Clock clockIn, Timebase base)
    : frameTimes(SmoothedFrames, 0.0), timebase(base), clock(std::move(clockIn)) {
  if (timebase.denom == 0) timebase = steadyTimebase();
  lastTick = clock();
}

void TimeEngine::updateHighTimer() {
  currentTick = clock();
  elapsedTicks = currentTick - lastTick;
  elapsedNanoseconds = elapsedTicks * timebase.numer / timebase.denom;
  lastDeltaTime = static_cast<float>(elapsedNanoseconds) / 1e9f;
  frameTimes.push_back(static_cast<double>(lastDeltaTime));
  frameTimes.pop_front();
  float sum = 0.0f;
  for (double t : frameTimes) sum += static_cast<float>(t);
  highDeltaTime = sum / SmoothedFrames;
  lastTick = currentTick;
}
