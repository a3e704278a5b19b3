// The arrow keys, the cell test, Y and N, on the virtual platform.
#include <gtest/gtest.h>

#include <limits>

#include "tests/support/game_harness.h"

namespace scurrow::testing {
namespace {

using Cell = std::pair<int16_t, int16_t>;
using Log = std::vector<std::string>;

class Keys : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(game.Start(), Outcome::kIdle); }
  GameHarness game;
};

struct EdgeCase {
  int16_t key;
  Cell at;
};

TEST_F(Keys, AStepAgainstTheEdgeBumpsAndChangesNothing) {
  for (const EdgeCase& c : {EdgeCase{frmMain::kKeyLeft, {1, 3}},
                            {frmMain::kKeyRight, {5, 3}},
                            {frmMain::kKeyUp, {3, 1}},
                            {frmMain::kKeyDown, {3, 5}},
                            {frmMain::kKeyLeft, {1, 1}},
                            {frmMain::kKeyDown, {5, 5}}}) {
    SCOPED_TRACE(c.key);
    game.Arrange({c.at.first == 1 ? 2 : 1, 2}, c.at);
    game.State().SkipNextTick = false;
    EXPECT_EQ(game.Press(c.key), Log{"play once atedge.wav"});
    EXPECT_EQ(game.State().Column, c.at.first);
    EXPECT_EQ(game.State().Row, c.at.second);
    EXPECT_FALSE(game.State().SkipNextTick);  // the timer was not re-armed
  }
}

struct MoveCase {
  int16_t key;
  Cell to;
};

TEST_F(Keys, AStepOntoAnEmptyCellMovesWithTheStepCueOnly) {
  for (const MoveCase& c : {MoveCase{frmMain::kKeyLeft, {2, 3}},
                            {frmMain::kKeyRight, {4, 3}},
                            {frmMain::kKeyUp, {3, 2}},
                            {frmMain::kKeyDown, {3, 4}}}) {
    SCOPED_TRACE(c.key);
    game.Arrange({1, 1}, {3, 3});
    game.State().Score = 100;
    EXPECT_EQ(game.Press(c.key), Log{"play once move.wav"});
    EXPECT_EQ(std::make_pair(game.State().Column, game.State().Row), c.to);
    EXPECT_EQ(game.State().Score, 100);
  }
}

struct FindCase {
  int32_t scoreBefore;
  const char* interval;
  bool levelCue;
};

TEST_F(Keys, AStepOntoTheStarScoresHidesTheNextAndRearmsAtTheNewPace) {
  for (const FindCase& c : {FindCase{0, "timer interval 5000", false},
                            {450, "timer interval 4500", true},
                            {950, "timer interval 4000", true},
                            {1450, "timer interval 3800", true},
                            {1950, "timer interval 3500", true},
                            {2000, "timer interval 3500", false},
                            {450, "timer interval 4500", false}}) {
    SCOPED_TRACE(c.scoreBefore);
    game.Arrange({4, 3}, {3, 3});
    game.State().Score = c.scoreBefore;
    game.State().SkipNextTick = false;
    Log expected = {"play once found.wav"};
    if (c.levelCue) expected.push_back("play once nextlevel.wav");
    expected.insert(expected.end(), {c.interval, "timer enabled"});
    EXPECT_EQ(game.Press(frmMain::kKeyRight), expected);
    EXPECT_EQ(game.State().Score, c.scoreBefore + 50);
    EXPECT_TRUE(game.State().SkipNextTick);
    EXPECT_NE(game.Star(), (Cell{0, 0}));
  }
}

TEST_F(Keys, AStarUnderThePlayerIsFoundOnlyBySteppingOffAndBackOn) {
  game.Arrange({3, 3}, {3, 3});
  EXPECT_EQ(game.Press(frmMain::kKeyLeft), Log{"play once move.wav"});
  EXPECT_EQ(game.Press(frmMain::kKeyRight).front(), "play once found.wav");
  EXPECT_EQ(game.State().Score, 50);
}

TEST_F(Keys, AFailureWhileHidingTheNextStarGivesTheEdgeCueAndKeepsTheScore) {
  game.Arrange({4, 3}, {3, 3});
  game.State().Score = 450;
  game.platform.audio.FailOn("play once nextlevel.wav");
  EXPECT_EQ(game.Press(frmMain::kKeyRight),
            (Log{"play once found.wav", "play once nextlevel.wav", "play once atedge.wav"}));
  EXPECT_EQ(game.State().Score, 500);
  EXPECT_TRUE(game.State().LevelAnnounced[0]);
  EXPECT_NE(game.Star(), (Cell{0, 0}));  // the new board was already made
}

TEST_F(Keys, AScoreOverflowIsTrappedAsTheEdgeCue) {
  game.Arrange({4, 3}, {3, 3});
  game.State().Score = std::numeric_limits<int32_t>::max() - 10;
  EXPECT_EQ(game.Press(frmMain::kKeyRight), (Log{"play once found.wav", "play once atedge.wav"}));
  EXPECT_EQ(game.State().Score, std::numeric_limits<int32_t>::max() - 10);
}

TEST_F(Keys, AFailingCueOutsideTheCellTestEndsTheProgram) {
  game.Arrange({4, 3}, {1, 3});
  game.platform.audio.FailOn("play once atedge.wav");
  game.Key(game.Now() + 10, frmMain::kKeyLeft);
  EXPECT_EQ(game.RunUntil(game.Now() + 100), Outcome::kError);
}

TEST_F(Keys, YAndNAreIgnoredWhileAGameRuns) {
  for (int16_t key : {frmMain::kKeyY, frmMain::kKeyN}) {
    EXPECT_EQ(game.Press(key), Log{});
  }
  EXPECT_EQ(game.State().Lives, 1);
}

TEST_F(Keys, OtherKeysDoNothing) {
  const GameState before = game.State();
  for (int16_t key : {0, 13, 27, 32, 65, 90, 41, 36}) EXPECT_EQ(game.Press(key), Log{});
  EXPECT_EQ(game.State().Column, before.Column);
  EXPECT_EQ(game.State().Row, before.Row);
}

TEST_F(Keys, YAfterAGameStartsAFreshOneWhereThePlayerStood) {
  game.Arrange({1, 1}, {2, 4});
  game.State().Lives = 0;
  game.State().InputLocked = true;
  game.State().Score = 1200;
  game.State().LevelAnnounced = {true, true, false, false};
  EXPECT_EQ(game.Press(frmMain::kKeyY),
            (Log{"stop again.wav", "rewind again.wav", "play looping background.wav",
                 "timer interval 5000", "timer enabled"}));
  const GameState& state = game.State();
  EXPECT_EQ(std::make_pair(state.Column, state.Row), (Cell{2, 4}));
  EXPECT_EQ(state.Lives, 1);
  EXPECT_EQ(state.Score, 0);
  EXPECT_FALSE(state.InputLocked);
  EXPECT_EQ(state.LevelAnnounced, (std::array<bool, 4>{}));
  EXPECT_TRUE(state.SkipNextTick);
}

TEST_F(Keys, NAfterAGameQuitsBeforeTheKeyHandlerGoesOn) {
  game.State().Lives = 0;
  game.Key(game.Now() + 10, frmMain::kKeyN);
  EXPECT_EQ(game.RunUntil(game.Now() + 100), Outcome::kEnded);
  const Log log = game.Log().Texts({"unload", "release device", "end program"});
  EXPECT_EQ(log, (Log{"unload", "release device", "end program"}));
}

TEST(KeysDuringStartUp, ArrowsBeforeAnyStarGiveTheEdgeCueThroughTheTrap) {
  GameHarness game;
  for (int16_t key : {frmMain::kKeyLeft, frmMain::kKeyUp, frmMain::kKeyRight, frmMain::kKeyDown,
                      frmMain::kKeyRight}) {
    game.Key(300, key);
  }
  ASSERT_EQ(game.Start(), Outcome::kIdle);
  EXPECT_EQ(game.Log().Count("play once atedge.wav"), 5);
  EXPECT_EQ(game.Log().Count("play once move.wav"), 0);
  // Start-up then puts the player on a random cell of the grid.
  EXPECT_GE(game.State().Column, 1);
  EXPECT_GE(game.State().Row, 1);
}

TEST(KeysDuringStartUp, NQuitsFromInsideTheWait) {
  for (int64_t at : {500, 2500}) {  // the pause, the introduction
    GameHarness game;
    game.Key(at, frmMain::kKeyN);
    ASSERT_EQ(game.Start(), Outcome::kEnded);
    EXPECT_EQ(game.Log().Count("end program"), 1);
    EXPECT_EQ(game.Log().Count("play looping background.wav"), 0);
  }
}

TEST(KeysDuringStartUp, YStartsAGameAtOnceAndStartUpThenSetsUpAFreshOne) {
  GameHarness game;
  game.Key(2000, frmMain::kKeyY);
  ASSERT_EQ(game.Start(), Outcome::kIdle);
  const Log log = game.Log().Texts({"stop", "rewind", "play", "release intro", "timer"});
  EXPECT_EQ(log, (Log{"play once intro.wav", "stop again.wav", "rewind again.wav",
                      "play looping background.wav", "timer interval 5000", "timer enabled",
                      "release intro.wav", "play looping background.wav", "timer interval 5000",
                      "timer enabled"}));
  EXPECT_EQ(game.Log().TimeOf("play looping background.wav"), 2000);
  EXPECT_EQ(game.State().Lives, 1);
  EXPECT_EQ(game.State().Score, 0);
}

}  // namespace
}  // namespace scurrow::testing
