// Whole runs under storms of random keys, auto-repeat bursts and a close request, aimed at every
// wait, with the game's rules checked after every event. SCURROW_SOAK_GAMES sets the number of
// runs; the seed is fixed, so a failing run can be replayed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "tests/support/game_harness.h"

namespace scurrow::testing {
namespace {

TEST(Soak, RandomStormsKeepTheRulesAndEveryRunEndsCleanly) {
  const char* games = std::getenv("SCURROW_SOAK_GAMES");
  std::mt19937_64 random(20261207);
  const int16_t keys[] = {37, 38, 39, 40, 89, 78, 0, 13, 65, -1};
  for (int run = 0, runs = games ? std::atoi(games) : 3000; run < runs; ++run) {
    SCOPED_TRACE(run);
    GameHarness game(random());
    game.platform.files["intro.wav"] = 60 + random() % 3000;
    game.platform.midnightOffset = random() % 2 ? 86399.5 : 3600;
    const int64_t end = 2000 + random() % 120'000;
    for (int i = random() % 200; i > 0; --i) {
      const int64_t at = random() % end, repeats = random() % 4 ? 1 : 25;
      for (int16_t key = keys[random() % 10], n = 0; n < repeats; ++n) game.Key(at + n * 40, key);
    }
    game.platform.Close(end);
    bool startedUp = false;  // start-up puts the player on the grid, and nothing takes it off
    game.platform.observer = [&] {
      const GameState& s = game.State();
      ASSERT_TRUE(s.Score >= 0 && s.Score % 50 == 0 && (s.Lives == 0 || s.Lives == 1));
      ASSERT_TRUE(!startedUp || (s.Column >= 1 && s.Column <= 5 && s.Row >= 1 && s.Row <= 5));
    };
    Outcome outcome = game.Start();
    startedUp = true;
    if (outcome == Outcome::kIdle) outcome = game.RunUntil(end + 600'000);
    ASSERT_EQ(outcome, Outcome::kEnded);
    ASSERT_EQ(game.platform.Log(0, "end program").size(), 1u);
  }
}

}  // namespace
}  // namespace scurrow::testing
