// Start-up, the pause, star placement, pace levels and close on the virtual
// platform.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "tests/support/game_harness.h"

namespace scurrow::testing {
namespace {

const std::vector<std::string> kEffects = {"background.wav", "move.wav",   "found.wav",
                                           "atedge.wav",     "nofind.wav", "again.wav",
                                           "nextlevel.wav",  "intro.wav"};

TEST(StartUp, RunsItsStepsInOrderAndSetsUpTheFirstGame) {
  GameHarness game;
  ASSERT_EQ(game.Start(), Outcome::kIdle);

  std::vector<std::string> expected = {"create root", "open device", "bind to window 1"};
  for (const auto& name : kEffects) expected.push_back("load " + game.SoundPath(name));
  expected.insert(expected.end(),
                  {"show window", "play once intro.wav", "release intro.wav",
                   "play looping background.wav", "timer interval 5000", "timer enabled"});
  EXPECT_EQ(game.Log().Texts(), expected);

  // The clock starts on a whole second, so the pause lasts exactly one; the
  // introduction then plays to its end while the pump runs.
  EXPECT_EQ(game.Log().TimeOf("play once intro.wav"), 1000);
  EXPECT_EQ(game.Log().TimeOf("release intro.wav"), 1000 + SoundFolder::kIntroMs);

  const GameState& state = game.State();
  EXPECT_EQ(state.Lives, 1);
  EXPECT_EQ(state.Score, 0);
  EXPECT_TRUE(state.SkipNextTick);
  EXPECT_FALSE(state.InputLocked);
  EXPECT_EQ(state.LevelAnnounced, (std::array<bool, 4>{}));
  EXPECT_GE(state.Row, 1);
  EXPECT_LE(state.Row, 5);
  EXPECT_GE(state.Column, 1);
  EXPECT_LE(state.Column, 5);
  EXPECT_NE(game.Star(), (std::pair<int16_t, int16_t>{0, 0}));
  EXPECT_TRUE(game.platform.shell.WindowShown());
  EXPECT_TRUE(game.form.Sound().Bank().SoundIntro.Empty());
}

TEST(StartUp, AnyMissingEffectEndsLoadingBeforeTheWindowShows) {
  for (const auto& name : kEffects) {
    SCOPED_TRACE(name);
    GameHarness game;
    game.sounds.Remove(name);
    ASSERT_EQ(game.Start(), Outcome::kError);
    const std::string report = game.platform.shell.Error()->Report();
    EXPECT_NE(report.find(game.SoundPath(name)), std::string::npos) << report;
    EXPECT_FALSE(game.platform.shell.WindowShown());
    EXPECT_TRUE(game.Log().Texts({"play"}).empty());
  }
}

struct CloseCase {
  const char* when;
  int64_t at;
  bool introReleasedFirst;
};

TEST(StartUp, ACloseDuringTheWaitsShutsDownAndNeverResumes) {
  for (const CloseCase& c : {CloseCase{"pause", 500, false}, CloseCase{"intro", 2500, false}}) {
    SCOPED_TRACE(c.when);
    GameHarness game;
    game.platform.shell.Close(c.at);
    ASSERT_EQ(game.Start(), Outcome::kEnded);

    const auto log = game.Log().Texts();
    const auto unload = std::find(log.begin(), log.end(), "unload");
    ASSERT_NE(unload, log.end());
    std::vector<std::string> expected = {"unload", "stop background.wav"};
    for (const auto& name : kEffects) expected.push_back("release " + name);
    expected.insert(expected.end(), {"release device", "release root", "end program"});
    EXPECT_EQ(std::vector<std::string>(unload, log.end()), expected);
    EXPECT_EQ(game.Log().Count("play looping background.wav"), 0);
    EXPECT_EQ(game.State().Lives, 0);
  }
}

TEST(StartUp, ShutdownAfterStartUpSkipsTheReleasedIntro) {
  GameHarness game;
  ASSERT_EQ(game.Start(), Outcome::kIdle);
  game.platform.shell.Close(game.Now() + 100);
  ASSERT_EQ(game.RunUntil(game.Now() + 200), Outcome::kEnded);
  EXPECT_EQ(game.Log().Count("release intro.wav"), 1);
  EXPECT_EQ(game.platform.audio.LoadedBuffers(), 0);
  EXPECT_EQ(game.platform.audio.ReleasedTouches(), 0);
}

struct PauseCase {
  double clockAtStart;
  int64_t expectedMs;
};

TEST(Pause, WaitsUntilTheWholeSecondAfterTheRoundedStart) {
  // Halfway readings round to the even neighbour; the last cases cross
  // midnight, where the clock falls back to 0.
  for (const PauseCase& c : {PauseCase{10.4, 600}, PauseCase{10.5, 500}, PauseCase{11.5, 1500},
                             PauseCase{86399.0, 1000}, PauseCase{86399.7, 1300}}) {
    SCOPED_TRACE(c.clockAtStart);
    GameHarness game;
    game.platform.shell.SetMidnightOffset(c.clockAtStart);
    double seconds = 1.0;
    game.form.Pause(seconds);
    // Near midnight a float reading of the clock is only good to 8 ms.
    EXPECT_NEAR(static_cast<double>(game.Now()), c.expectedMs, 10);
    EXPECT_EQ(seconds, 1.0);
  }
}

TEST(PlaceStar, ReachesEveryCellUniformlyWithIndependentRowAndColumn) {
  GameHarness game(20261207);
  constexpr int kStars = 25000;
  std::array<std::array<int, 6>, 6> counts{};
  for (int i = 0; i < kStars; ++i) {
    game.form.PlaceStar();
    int stars = 0;
    for (int16_t c = 0; c <= 5; ++c) {
      for (int16_t r = 0; r <= 5; ++r) {
        if (game.State().Board->Cell(c, r).empty()) continue;
        ASSERT_EQ(game.State().Board->Cell(c, r), "*");
        ASSERT_TRUE(c >= 1 && r >= 1);
        ++counts[c][r];
        ++stars;
      }
    }
    ASSERT_EQ(stars, 1);
  }
  // The two draws of a star see the same clock reading here, yet all 25
  // cells, off the diagonal too, come up equally often.
  double chiSquare = 0;
  const double expected = kStars / 25.0;
  for (int c = 1; c <= 5; ++c) {
    for (int r = 1; r <= 5; ++r) {
      EXPECT_GT(counts[c][r], 0);
      chiSquare += std::pow(counts[c][r] - expected, 2) / expected;
    }
  }
  EXPECT_LT(chiSquare, 51.2);  // 24 degrees of freedom, p = 0.001
}

struct PaceCase {
  int32_t score;
  int32_t interval;
  bool cue;
};

TEST(SetPace, ChoosesTheLevelByScoreAndAnnouncesEachLevelOncePerGame) {
  GameHarness game;
  ASSERT_EQ(game.Start(), Outcome::kIdle);
  const std::vector<PaceCase> cases = {
      {0, 5000, false},   {450, 5000, false},  {500, 4500, true},    {950, 4500, false},
      {1000, 4000, true}, {1450, 4000, false}, {1500, 3800, true},   {1950, 3800, false},
      {2000, 3500, true}, {2050, 3500, false}, {99950, 3500, false}, {500, 4500, false}};
  for (const PaceCase& c : cases) {
    SCOPED_TRACE(c.score);
    game.Log().Clear();
    game.State().Score = c.score;
    game.State().SkipNextTick = false;
    game.form.SetPace();
    std::vector<std::string> expected;
    if (c.cue) expected.push_back("play once nextlevel.wav");
    expected.insert(expected.end(),
                    {"timer interval " + std::to_string(c.interval), "timer enabled"});
    EXPECT_EQ(game.Log().Texts(), expected);
    EXPECT_TRUE(game.State().SkipNextTick);
    EXPECT_EQ(game.platform.shell.Timer().Interval(), c.interval);
  }
}

TEST(SetPace, MarksTheLevelEvenWhenItsCueFails) {
  GameHarness game;
  ASSERT_EQ(game.Start(), Outcome::kIdle);
  game.State().Score = 500;
  game.platform.audio.FailOn("play once nextlevel.wav");
  EXPECT_THROW(game.form.SetPace(), RuntimeError);
  EXPECT_TRUE(game.State().LevelAnnounced[0]);
}

}  // namespace
}  // namespace scurrow::testing
