// The game alone: whole games of frmMain on the virtual platform, as fast as
// they run, so that a regression in the core shows. One game is a fresh
// platform and form: start-up, ten stars walked to, the eleventh lost, the
// score spoken, the prompt, and N.
//
// Usage: bench_logic [seconds]   (5 if not given)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/bench_report.h"
#include "game/frm_main.h"
#include "tests/support/sound_folder.h"
#include "tests/support/virtual_platform.h"

namespace scurrow::bench {
namespace {

using testing::Outcome;
using testing::SoundFolder;
using testing::VirtualPlatform;

constexpr int kStars = 10;
constexpr int kBatch = 100;

// Where the star is, as {column, row}.
std::pair<int16_t, int16_t> StarOf(const GameState& state) {
  for (int16_t c = 1; c <= 5 && state.Board; ++c) {
    for (int16_t r = 1; r <= 5; ++r) {
      if (state.Board->Cell(c, r) == kStar) return {c, r};
    }
  }
  return {0, 0};
}

// Plays one whole game; true if it went as a game must.
bool PlayGame(const std::string& folder, uint64_t seed) {
  VirtualPlatform platform(folder, seed);
  frmMain form(platform.shell, platform.audio, platform.player);
  if (platform.shell.Start(form) != Outcome::kIdle) return false;
  int64_t at = platform.clock.ms;
  for (int star = 0; star < kStars; ++star) {
    const GameState& state = form.State();
    const auto [column, row] = StarOf(state);
    int16_t c = state.Column;
    int16_t r = state.Row;
    std::vector<int16_t> keys;
    if (c == column && r == row) {
      keys = {c > 1 ? frmMain::kKeyLeft : frmMain::kKeyRight,
              c > 1 ? frmMain::kKeyRight : frmMain::kKeyLeft};
    }
    for (; c < column; ++c) keys.push_back(frmMain::kKeyRight);
    for (; c > column; --c) keys.push_back(frmMain::kKeyLeft);
    for (; r < row; ++r) keys.push_back(frmMain::kKeyDown);
    for (; r > row; --r) keys.push_back(frmMain::kKeyUp);
    for (int16_t key : keys) platform.shell.KeyDown(at += 20, key);
    if (platform.shell.RunUntil(at) != Outcome::kIdle) return false;
  }
  // The next star is lost, the score spoken and the question asked.
  if (platform.shell.RunUntil(at + 30'000) != Outcome::kIdle) return false;
  if (form.State().Lives != 0 || form.State().Score != kStars * 50) return false;
  platform.shell.KeyDown(platform.clock.ms + 10, frmMain::kKeyN);
  return platform.shell.RunUntil(platform.clock.ms + 1000) == Outcome::kEnded;
}

}  // namespace
}  // namespace scurrow::bench

int main(int argc, char** argv) {
  using namespace scurrow::bench;
  const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
  try {
    SoundFolder sounds;
    for (int i = 0; i < 20; ++i) PlayGame(sounds.Path(), i);  // warm-up

    std::vector<double> gameUs;
    std::vector<double> batchRate;
    int failures = 0;
    uint64_t seed = 1000;
    const int64_t end = NowNs() + static_cast<int64_t>(seconds * 1e9);
    while (NowNs() < end) {
      const int64_t batchStart = NowNs();
      for (int i = 0; i < kBatch; ++i) {
        const int64_t start = NowNs();
        if (!PlayGame(sounds.Path(), seed++)) ++failures;
        gameUs.push_back(static_cast<double>(NowNs() - start) / 1000.0);
      }
      batchRate.push_back(kBatch / (static_cast<double>(NowNs() - batchStart) / 1e9));
    }

    Row("Game logic: one whole simulated game (virtual platform)", Summarize(gameUs), "us", "",
        Verdict::kInfo, 1);
    Row("Game logic: whole simulated games per second (batches of 100)", Summarize(batchRate),
        "games/s", "", Verdict::kInfo, 0);
    Note("Game logic", std::to_string(gameUs.size()) + " games in " + Fixed(seconds, 0) + " s, " +
                           std::to_string(failures) +
                           " that did not end as expected. Each: start-up (1 s pause, 3 s "
                           "introduction, 1 ms per pump), " +
                           std::to_string(kStars) +
                           " stars walked to with a key every 20 virtual ms, the next star lost "
                           "after two 4500 ms intervals, the time-out cue, 500 spoken, the "
                           "prompt, N.");
    return failures == 0 ? 0 : 1;
  } catch (const scurrow::RuntimeError& error) {
    std::fprintf(stderr, "bench_logic: %s\n", error.Report().c_str());
    return 1;
  }
}
