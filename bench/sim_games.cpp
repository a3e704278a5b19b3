// Whole games of frmMain on the virtual platform of the tests, as fast as they
// run. A game: ten stars walked to, the next star lost, the score spoken, the
// prompt, and Y for the next one. Each platform plays 1000 games, then N; its
// set-up (a folder of test sounds, the start-up) is left out of the time.
//
// Usage: bench_sim_games [SECONDS]   (3 if not given)
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "tests/support/virtual_platform.h"

using scurrow::frmMain;

// Walks onto the star with the arrow keys, one every 20 ms from now, stepping off and back when
// the star lies under the player; runs until the last step.
void WalkToStar(scurrow::testing::VirtualPlatform& game) {
  auto [column, row] = std::pair{game.State().Column, game.State().Row};
  const auto [starColumn, starRow] = game.Star();
  int64_t at = game.Now();
  const auto press = [&](int16_t key) { game.KeyDown(at += 20, key); };
  if (std::pair{column, row} == game.Star()) {  // off and back on
    press(row == 1 ? frmMain::kKeyDown : frmMain::kKeyUp);
    press(row == 1 ? frmMain::kKeyUp : frmMain::kKeyDown);
  }
  for (; column != starColumn; column += column < starColumn ? 1 : -1)
    press(column < starColumn ? frmMain::kKeyRight : frmMain::kKeyLeft);
  for (; row != starRow; row += row < starRow ? 1 : -1)
    press(row < starRow ? frmMain::kKeyDown : frmMain::kKeyUp);
  game.RunUntil(at);
}

int main(int argc, char** argv) {
  using Clock = std::chrono::steady_clock;
  const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
  int games = 0, unexpected = 0;  // unexpected: games that did not end lost with 500 points
  std::chrono::duration<double> playing{0};
  while (playing.count() < seconds) {
    scurrow::testing::VirtualPlatform game;
    game.Start();
    const Clock::time_point start = Clock::now();
    for (int round = 1; round <= 1000; ++round, ++games) {
      for (int star = 0; star < 10; ++star) WalkToStar(game);
      game.RunUntil(game.Now() + 30'000);
      if (game.State().Score != 500 || game.State().Lives != 0) ++unexpected;
      game.KeyDown(game.Now() + 10, round < 1000 ? frmMain::kKeyY : frmMain::kKeyN);
      game.RunUntil(game.Now() + 10);
    }
    playing += Clock::now() - start;
  }
  std::printf("games_per_second %.0f\ngames %d\ngames_unexpected %d\n", games / playing.count(),
              games, unexpected);
  return unexpected == 0 ? 0 : 1;
}
