// Time-out, game over and whole games on the virtual platform.
#include <gtest/gtest.h>

#include "tests/support/game_harness.h"

namespace scurrow::testing {
namespace {

using Log = std::vector<std::string>;

// Start-up ends once the one-second pause and the introduction have played.
constexpr int64_t kFirstArming = 1000 + SoundFolder::kIntroMs;
constexpr int64_t kWord = SoundFolder::kWordMs;

// What the log says from the first entry at or after `from` on.
std::vector<LogEntry> LogFrom(const EventLog& log, int64_t from) {
  std::vector<LogEntry> entries;
  for (const LogEntry& e : log.Entries()) {
    if (e.ms >= from && !e.what.starts_with("key")) entries.push_back(e);
  }
  return entries;
}

void ExpectLog(const std::vector<LogEntry>& actual, const std::vector<LogEntry>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(actual[i].what, expected[i].what) << i;
    EXPECT_EQ(actual[i].ms, expected[i].ms) << expected[i].what;
  }
}

TEST(TimeOut, AGameLostAtTheFirstStarEndsTwoIntervalsAfterTheArming) {
  GameHarness game;
  ASSERT_EQ(game.Start(), Outcome::kIdle);
  ASSERT_EQ(game.Now(), kFirstArming);
  EXPECT_EQ(game.RunUntil(60'000), Outcome::kIdle);

  const int64_t out = kFirstArming + 10'000;
  const int64_t over = out + SoundFolder::kNoFindMs;
  ExpectLog(LogFrom(game.Log(), kFirstArming + 1),
            {{kFirstArming + 5000, "tick"},
             {out, "tick"},
             {out, "timer disabled"},
             {out, "stop background.wav"},
             {out, "rewind background.wav"},
             {out, "play once nofind.wav"},
             {over, "stop background.wav"},
             {over, "rewind background.wav"},
             {over, "change directory " + game.sounds.Path()},
             {over, "speak 0.wav"},
             {over + kWord, "speak points.wav"},
             {over + 2 * kWord, "play once again.wav"}});
  const GameState& state = game.State();
  EXPECT_EQ(state.Lives, 0);
  EXPECT_TRUE(state.InputLocked);
  EXPECT_FALSE(state.SkipNextTick);
  EXPECT_FALSE(game.platform.shell.Timer().Enabled());
  EXPECT_EQ(game.form.Speech().ScoreValue, 0);
}

TEST(TimeOut, AStarFoundJustBeforeTheSecondTickGetsTwoFreshIntervals) {
  GameHarness game;
  ASSERT_EQ(game.Start(), Outcome::kIdle);
  game.RunUntil(kFirstArming + 9'900);
  game.WalkToStar(10);  // the last step lands before the second tick at +10 s
  const int64_t found = game.Log().Entries().back().ms;
  ASSERT_LT(found, kFirstArming + 10'000);
  ASSERT_EQ(game.State().Score, 50);
  game.RunUntil(found + 30'000);
  EXPECT_EQ(game.Log().TimeOf("play once nofind.wav"), found + 10'000);
  EXPECT_EQ(game.Log().Count("tick"), 3);  // one before the find, two after
}

TEST(TimeOut, KeysDuringTheTimeOutCueChangeNothing) {
  GameHarness game;
  ASSERT_EQ(game.Start(), Outcome::kIdle);
  const int64_t out = kFirstArming + 10'000;
  const int16_t column = game.State().Column;
  const int16_t row = game.State().Row;
  for (int16_t key : {frmMain::kKeyY, frmMain::kKeyN, frmMain::kKeyLeft, frmMain::kKeyRight,
                      frmMain::kKeyUp, frmMain::kKeyDown}) {
    game.Key(out + 100, key);
  }
  EXPECT_EQ(game.RunUntil(out + 20'000), Outcome::kIdle);

  // The six keys arrive inside the wait for the cue, and nothing answers them.
  const auto log = LogFrom(game.Log(), out);
  ASSERT_GE(log.size(), 5u);
  EXPECT_EQ(log[4].what, "play once nofind.wav");
  EXPECT_EQ(log[5].what, "stop background.wav");
  EXPECT_EQ(log[5].ms, out + SoundFolder::kNoFindMs);
  EXPECT_EQ(game.Log().Count("key 89") + game.Log().Count("key 78"), 2);
  EXPECT_EQ(game.State().Column, column);
  EXPECT_EQ(game.State().Row, row);
  EXPECT_EQ(game.State().Lives, 0);  // the game ended as usual, and waits for Y or N
}

struct AnswerCase {
  std::vector<int16_t> keys;
  Outcome outcome;
  int newGames;
};

TEST(TimeOut, AnswersGivenWhileTheScoreIsSpokenActRightAfterThePromptStarts) {
  const int64_t speech = kFirstArming + 10'000 + SoundFolder::kNoFindMs;
  const int64_t prompt = speech + 2 * kWord;
  for (const AnswerCase& c : {AnswerCase{{frmMain::kKeyY}, Outcome::kIdle, 1},
                              AnswerCase{{frmMain::kKeyN}, Outcome::kEnded, 0},
                              AnswerCase{{frmMain::kKeyN, frmMain::kKeyY}, Outcome::kEnded, 0},
                              AnswerCase{{frmMain::kKeyY, frmMain::kKeyN}, Outcome::kIdle, 1}}) {
    GameHarness game;
    ASSERT_EQ(game.Start(), Outcome::kIdle);
    int64_t at = speech + 100;
    for (int16_t key : c.keys) game.Key(at += 10, key);
    EXPECT_EQ(game.RunUntil(prompt + 1000), c.outcome);
    EXPECT_EQ(game.Log().Count("stop again.wav"), c.newGames);
    EXPECT_EQ(game.Log().TimeOf("play once again.wav"), prompt);
    const auto answered =
        game.Log().TimeOf(c.outcome == Outcome::kEnded ? "unload" : "stop again.wav");
    EXPECT_EQ(answered, prompt);
  }
}

TEST(TimeOut, ACloseDuringTheTimeOutCueEndsTheProgramFromInsideTheWait) {
  GameHarness game;
  ASSERT_EQ(game.Start(), Outcome::kIdle);
  game.platform.shell.Close(kFirstArming + 10'500);
  EXPECT_EQ(game.RunUntil(60'000), Outcome::kEnded);
  EXPECT_EQ(game.Log().Texts().back(), "end program");
  EXPECT_EQ(game.Log().Texts({"speak", "play once again"}), Log{});
  EXPECT_EQ(game.State().Lives, 1);  // the wait never resumed
}

TEST(WholeGame, FortyStarsReachEveryLevelAndASecondGameAnnouncesThemAgain) {
  GameHarness game;
  ASSERT_EQ(game.Start(), Outcome::kIdle);
  for (int star = 0; star < 40; ++star) {
    game.WalkToStar();
    ASSERT_EQ(game.State().Score, 50 * (star + 1));
  }
  Log intervals;
  for (const std::string& entry : game.Log().Texts({"timer interval"})) {
    if (intervals.empty() || intervals.back() != entry) intervals.push_back(entry);
  }
  EXPECT_EQ(intervals, (Log{"timer interval 5000", "timer interval 4500", "timer interval 4000",
                            "timer interval 3800", "timer interval 3500"}));
  EXPECT_EQ(game.Log().Count("play once nextlevel.wav"), 4);

  // The fortieth star is lost at two level-5 intervals, and 2000 is spoken.
  const int64_t armed = game.Now();
  game.RunUntil(armed + 20'000);
  EXPECT_EQ(game.Log().TimeOf("play once nofind.wav"), armed + 7000);
  EXPECT_EQ(game.Log().Texts({"speak"}),
            (Log{"speak 2.wav", "speak thousand.wav", "speak points.wav"}));

  // Y: a second game at the slowest pace, whose level cues come back.
  game.Key(game.Now() + 100, frmMain::kKeyY);
  game.RunUntil(game.Now() + 200);
  EXPECT_EQ(game.State().Lives, 1);
  EXPECT_EQ(game.Log().Texts({"timer interval"}).back(), "timer interval 5000");
  for (int star = 0; star < 10; ++star) game.WalkToStar();
  EXPECT_EQ(game.Log().Count("play once nextlevel.wav"), 5);

  // Lost again; N at the prompt quits.
  game.RunUntil(game.Now() + 20'000);
  EXPECT_EQ(game.State().Lives, 0);
  game.Key(game.Now() + 100, frmMain::kKeyN);
  EXPECT_EQ(game.RunUntil(game.Now() + 200), Outcome::kEnded);
  EXPECT_EQ(game.platform.audio.LoadedBuffers(), 0);
  EXPECT_EQ(game.platform.audio.ReleasedTouches(), 0);
}

TEST(WholeGame, AGameLostDuringTheIntroductionLeavesTheNextGameAnsweringKeys) {
  GameHarness game;
  game.sounds.Write("intro.wav", 20'000);
  game.Key(1500, frmMain::kKeyY);
  ASSERT_EQ(game.Start(), Outcome::kIdle);
  ASSERT_EQ(game.Log().Count("play once again.wav"), 1);  // that game is over

  EXPECT_EQ(game.State().Lives, 1);
  EXPECT_FALSE(game.State().InputLocked);
  game.Log().Clear();
  game.Key(game.Now() + 50, frmMain::kKeyLeft);
  game.RunUntil(game.Now() + 100);
  EXPECT_EQ(game.Log().Texts({"play"}).size(), 1u);  // a step or a bump, not silence
}

}  // namespace
}  // namespace scurrow::testing
