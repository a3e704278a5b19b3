// Start-up, star placement, pace and close of the main window.
#include "game/frm_main.h"

#include <cmath>

#include "shell/runtime_error.h"

namespace scurrow {
namespace {

// The scores at which levels 2 to 5 begin: a bound belongs to the faster level.
constexpr int32_t kLevelScores[] = {500, 1000, 1500, 2000};
// The star timer's interval at levels 1 to 5.
constexpr int32_t kLevelIntervalsMs[] = {5000, 4500, 4000, 3800, 3500};

}  // namespace

void frmMain::Form_Load() {
  SoundBank& bank = module1_.Bank();
  module1_.CreateSoundDevice(shell_.Handle());
  module1_.LoadSounds();
  shell_.ShowWindow();

  double oneSecond = 1.0;
  Pause(oneSecond);

  bank.SoundIntro.PlayOnce();
  while (bank.SoundIntro.IsPlaying()) shell_.PumpEvents();
  bank.SoundIntro.Release();

  bank.SoundBackground.PlayLooping();
  PlaceStar();
  state_.Lives = 1;
  // A game started and lost during the introduction leaves the arrows
  // locked; the game set up here must answer them.
  state_.InputLocked = false;
  state_.LevelAnnounced.fill(false);
  state_.Row = RandomCell();
  state_.Column = RandomCell();
  state_.Score = 0;
}

void frmMain::Pause(double& seconds) {
  const int32_t start = static_cast<int32_t>(std::nearbyint(shell_.Clock()));
  float reading = shell_.Clock();
  // Summed in double: a float near 86400 would swallow millisecond steps.
  double now = reading;
  const float end = static_cast<float>(static_cast<double>(start) + seconds);
  if (!std::isfinite(end)) throw RuntimeError(ErrorNumber::kOverflow, "Overflow");

  // `now` advances by the clock's forward steps only: the fall from just under 86400 to 0 at
  // midnight counts as no time, so the wait always ends, at most one pass late.
  while (end > now) {
    shell_.PumpEvents();
    const float previous = reading;
    reading = shell_.Clock();
    if (reading > previous) now += static_cast<double>(reading) - previous;
  }
}

int16_t frmMain::RandomCell() {
  shell_.Randomize();
  const double r = shell_.Rnd();
  return static_cast<int16_t>(std::floor(r * 5 + 1));
}

void frmMain::PlaceStar() {
  state_.Board.emplace();
  const int16_t starRow = RandomCell();
  const int16_t starColumn = RandomCell();
  state_.Board->Cell(starColumn, starRow) = std::string(kStar);
  SetPace();
}

void frmMain::SetPace() {
  int level = 1;
  for (const int32_t bound : kLevelScores) level += state_.Score >= bound ? 1 : 0;

  if (level >= 2) {
    bool& announced = state_.LevelAnnounced[level - 2];
    if (!announced) {
      // The flag goes first, so a level is announced at most once per game
      // even when its cue fails.
      announced = true;
      module1_.Bank().SoundNextLevel.PlayOnce();
    }
  }
  shell_.SetTimerInterval(kLevelIntervalsMs[level - 1]);
  state_.SkipNextTick = true;
  shell_.SetTimerEnabled(true);
}

void frmMain::Form_Unload(int16_t& Cancel) {
  (void)Cancel;  // a close is never refused
  module1_.Shutdown();
}

}  // namespace scurrow
