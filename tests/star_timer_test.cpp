#include "shell/star_timer.h"

#include <gtest/gtest.h>

#include "shell/runtime_error.h"

namespace scurrow {
namespace {

TEST(StarTimer, GivesNoTickAtIntervalZeroThoughEnabled) {
  StarTimer timer;
  EXPECT_TRUE(timer.Enabled());
  EXPECT_FALSE(timer.Deadline());
  EXPECT_FALSE(timer.TakeDueTick(1'000'000));
}

TEST(StarTimer, TicksEveryIntervalFromTheArming) {
  StarTimer timer;
  timer.SetInterval(5000, 100);
  timer.SetEnabled(true, 100);
  EXPECT_FALSE(timer.TakeDueTick(5099));
  EXPECT_TRUE(timer.TakeDueTick(5100));
  EXPECT_FALSE(timer.TakeDueTick(5100));
  EXPECT_EQ(timer.Deadline(), 10100);
}

TEST(StarTimer, EveryArmingStartsAFreshCountdownAndForgetsADueTick) {
  StarTimer timer;
  timer.SetInterval(5000, 0);
  timer.SetEnabled(true, 0);
  // A tick is due at 5000 but not yet delivered when the timer is re-armed.
  timer.SetInterval(4500, 5200);
  timer.SetEnabled(true, 5200);
  EXPECT_FALSE(timer.TakeDueTick(9699));
  EXPECT_TRUE(timer.TakeDueTick(9700));
}

TEST(StarTimer, DisablingDropsATickAlreadyDue) {
  StarTimer timer;
  timer.SetInterval(1000, 0);
  timer.SetEnabled(true, 0);
  timer.SetEnabled(false, 1500);
  EXPECT_FALSE(timer.TakeDueTick(1500));
  EXPECT_FALSE(timer.TakeDueTick(100'000));
}

TEST(StarTimer, MergesTicksThatFellDueWhileBusy) {
  StarTimer timer;
  timer.SetInterval(1000, 0);
  timer.SetEnabled(true, 0);
  EXPECT_TRUE(timer.TakeDueTick(3500));
  EXPECT_FALSE(timer.TakeDueTick(3500));
  EXPECT_EQ(timer.Deadline(), 4000);
}

TEST(StarTimer, RefusesANegativeInterval) {
  StarTimer timer;
  EXPECT_THROW(timer.SetInterval(-1, 0), RuntimeError);
}

}  // namespace
}  // namespace scurrow
