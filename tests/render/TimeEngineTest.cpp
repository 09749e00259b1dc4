#include <cstdint>

#include <gtest/gtest.h>

#include "render/TimeEngine.h"

// A clock in nanoseconds that moves only when the test says so; returns the smoothed time.
struct ManualClock {
  std::uint64_t now = 1000;
  TimeEngine timer{[this] { return now; }, TimeEngine::Timebase{1, 1}};
  float frame(double seconds) {
    now += static_cast<std::uint64_t>(seconds * 1e9);
    timer.updateHighTimer();
    return timer.getHighDeltaTime();
  }
};

TEST(FrameTimer, SmoothsOverTheLastTenFrames) {
  ManualClock clock;
  const double d = 0.016;
  EXPECT_NEAR(d / 10, clock.frame(d), 1e-7) << "nine of ten entries are still 0";
  for (int i = 2; i <= 10; ++i) EXPECT_NEAR(d * i / 10, clock.frame(d), 1e-7) << "update " << i;
  // One 2 s frame among steady ones raises the mean by (2 - d) / 10 for exactly ten frames.
  const double raised = d + (2.0 - d) / 10;
  EXPECT_NEAR(raised, clock.frame(2.0), 1e-5);
  for (int i = 2; i <= 10; ++i) EXPECT_NEAR(raised, clock.frame(d), 1e-5) << "frame " << i;
  EXPECT_NEAR(d, clock.frame(d), 1e-5) << "the long frame has left the window";
}
