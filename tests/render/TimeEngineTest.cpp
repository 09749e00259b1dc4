#include <cstdint>

#include <gtest/gtest.h>

#include "render/TimeEngine.h"

namespace {

// A clock in nanoseconds that moves only when the test says so.
struct ManualClock {
  std::uint64_t now = 1000;
  TimeEngine timer{[this] { return now; }, TimeEngine::Timebase{1, 1}};

  float frame(double seconds) {
    now += static_cast<std::uint64_t>(seconds * 1e9);
    timer.updateHighTimer();
    return timer.getHighDeltaTime();
  }
};

}  // namespace

TEST(FrameTimer, SteadyFramesReachTheirMeanAfterTenUpdates) {
  ManualClock clock;
  const double d = 0.016;
  EXPECT_NEAR(d / 10, clock.frame(d), 1e-7) << "nine of ten entries are still 0";
  for (int i = 2; i <= 9; ++i) EXPECT_NEAR(d * i / 10, clock.frame(d), 1e-7) << "update " << i;
  EXPECT_NEAR(d, clock.frame(d), 1e-7);
  EXPECT_NEAR(d, clock.frame(d), 1e-7);
}

TEST(FrameTimer, ALongFrameRaisesTheMeanForExactlyTenFrames) {
  ManualClock clock;
  const double d = 0.01;
  for (int i = 0; i < 10; ++i) clock.frame(d);
  const double raised = d + (2.0 - d) / 10;   // one entry of ten is 2 s instead of d
  EXPECT_NEAR(raised, clock.frame(2.0), 1e-5);
  for (int i = 2; i <= 10; ++i) EXPECT_NEAR(raised, clock.frame(d), 1e-5) << "frame " << i;
  EXPECT_NEAR(d, clock.frame(d), 1e-5) << "the long frame has left the window";
}
