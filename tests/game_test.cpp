// The game's rules on the virtual platform: whole runs as a table of scenarios, one key press
// as a table of cases, and the properties of the pause, the stars and the pace.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "tests/support/game_harness.h"

namespace scurrow::testing {
namespace {

using Lines = std::vector<std::string>;
constexpr int16_t kLeft = frmMain::kKeyLeft, kRight = frmMain::kKeyRight;
constexpr int16_t kUp = frmMain::kKeyUp, kDown = frmMain::kKeyDown;
constexpr int16_t kY = frmMain::kKeyY, kN = frmMain::kKeyN;
const Lines kEffects = {"background.wav", "move.wav",  "found.wav",     "atedge.wav",
                        "nofind.wav",     "again.wav", "nextlevel.wav", "intro.wav"};

Lines At(int64_t ms, const Lines& whats) {
  Lines lines;
  for (const auto& what : whats) lines.push_back(std::to_string(ms) + " " + what);
  return lines;
}

Lines operator+(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Unload at `ms`: the music stops, every buffer still held is released, the program ends.
Lines Shutdown(int64_t ms, bool introHeld) {
  Lines whats = {"unload", "stop background.wav"};
  for (const auto& name : kEffects) {
    if (name != "intro.wav" || introHeld) whats.push_back("release " + name);
  }
  return At(ms, whats + Lines{"release device", "release root", "end program"});
}

// A star lost at `ms`: the timer stops, the music stops and the time-out cue plays.
Lines Lost(int64_t ms) {
  return At(ms, {"tick", "timer disabled", "stop background.wav", "rewind background.wav",
                 "play once nofind.wav"});
}

// Then, once the cue is over, a score of 0 is spoken and the prompt plays.
Lines TimeOut(int64_t ms) {
  const int64_t over = ms + VirtualPlatform::kNoFindMs, word = VirtualPlatform::kWordMs;
  return Lost(ms) +
         At(over, {"stop background.wav", "rewind background.wav", "change directory /game",
                   "speak 0.wav"}) +
         At(over + word, {"speak points.wav"}) + At(over + 2 * word, {"play once again.wav"});
}

// Start-up with the clock on a whole second: the pause ends at 1000 and the introduction at
// 4000; the first star is lost at its second tick, at 14000, and the prompt plays at 16300.
const Lines kLoads = [] {
  Lines loads;
  for (const auto& name : kEffects) loads.push_back("load /game/" + name);
  return loads;
}();
const Lines kIntroEnd = At(4000, {"release intro.wav", "play looping background.wav",
                                  "timer interval 5000", "timer enabled"});
const Lines kNewGame = {"stop again.wav", "rewind again.wav", "play looping background.wav",
                        "timer interval 5000", "timer enabled"};

using Events = std::vector<std::pair<int64_t, int>>;  // {virtual ms, key code or kClose}
constexpr int kClose = -100;  // a close request among the keys of a scenario
constexpr int64_t kEnd = 60000;

struct Scenario {
  const char* name;
  Events events;

  int64_t from, until;  // the log is compared between these times
  Lines expected;
  Outcome outcome = Outcome::kIdle;
  std::function<void(GameHarness&)> setup = [](GameHarness&) {};
};

// At `ms`, the star on (4, 3) and the player beside it on (3, 3).
void ArrangeAt(GameHarness& game, int64_t ms) {
  game.platform.At(ms, [&game] { game.Arrange({4, 3}, {3, 3}); });
}

// Walks onto a star every 200 ms from `at` on until the score reaches `score`.
void ScoreDuringStartUp(GameHarness& game, int64_t at, int32_t score) {
  game.platform.At(at, [&game, at, score] {
    if (game.State().Score < score) ScoreDuringStartUp(game, game.ScheduleWalk(at) + 200, score);
  });
}

const Scenario kScenarios[] = {
    {"no key: start-up, then the first star is lost at its second tick", Events{}, 0, 20000,
     At(0,
        Lines{"create root", "open device", "bind to window 1"} + kLoads + Lines{"show window"}) +
         At(1000, {"play once intro.wav"}) + kIntroEnd + At(9000, {"tick"}) + TimeOut(14000)},
    {"a close in the pause", Events{{500, kClose}}, 500, kEnd,
     At(500, {"close"}) + Shutdown(500, true), Outcome::kEnded},
    {"N in the introduction", Events{{2500, kN}}, 2500, kEnd,
     At(2500, {"key 78"}) + Shutdown(2500, true), Outcome::kEnded},
    {"a close in the game", Events{{5000, kClose}}, 5000, kEnd,
     At(5000, {"close"}) + Shutdown(5000, false), Outcome::kEnded},
    {"arrows before the first star bump through the cell test's trap",
     Events{{300, kLeft}, {300, kUp}, {300, kRight}, {300, kDown}}, 300, 999,
     At(300, {"key 37", "play once atedge.wav", "key 38", "play once atedge.wav", "key 39",
              "play once atedge.wav", "key 40", "play once atedge.wav"})},
    {"Y in the pause starts a game; the introduction follows and re-arms the timer",
     Events{{500, kY}}, 500, 9000,
     At(500, Lines{"key 89"} + kNewGame) + At(1000, {"play once intro.wav"}) + kIntroEnd +
         At(9000, {"tick"})},
    {"a game lost in a long introduction leaves the next game answering arrows",
     Events{{1500, kY}, {21050, kLeft}}, 21000, 21050,
     At(21000, {"release intro.wav", "play looping background.wav", "timer interval 5000",
                "timer enabled"}) +
         At(21050, {"key 37", "play once move.wav"}),
     Outcome::kIdle,
     [](GameHarness& g) {
       g.platform.files["intro.wav"] = 20000;
       ArrangeAt(g, 21001);
     }},
    {"the score of a game played in the introduction sets the pace of the first star",
     Events{{1500, kY}}, 41000, 53000,
     At(41000, {"release intro.wav", "play looping background.wav", "timer interval 4500",
                "timer enabled"}) +
         At(45500, {"tick"}) + TimeOut(50000),
     Outcome::kIdle,
     [](GameHarness& g) {
       g.platform.files["intro.wav"] = 40000;
       ScoreDuringStartUp(g, 1600, 500);
       g.platform.At(41001, [&g] { EXPECT_EQ(g.State().LevelAnnounced, (std::array<bool, 4>{})); });
     }},
    {"a star found just before the second tick gets two fresh intervals", Events{{13999, kRight}},
     13999, 23999,
     At(13999, {"key 39", "play once found.wav", "timer interval 5000", "timer enabled"}) +
         At(18999, {"tick"}) + Lost(23999),
     Outcome::kIdle, [](GameHarness& g) { ArrangeAt(g, 13990); }},
    Scenario{"keys in the time-out cue change nothing",
             Events{{14100, kY},
                    {14100, kN},
                    {14100, kLeft},
                    {14100, kRight},
                    {14100, kUp},
                    {14100, kDown}},
             14000, 15499,
             Lost(14000) + At(14100, {"key 89", "key 78", "key 37", "key 39", "key 38", "key 40"})},
    {"a close in the time-out cue ends the program inside the wait", Events{{14500, kClose}}, 14000,
     kEnd, Lost(14000) + At(14500, {"close"}) + Shutdown(14500, false), Outcome::kEnded},
    {"Y and then N while the score is spoken: a new game once the prompt has started",
     Events{{15600, kY}, {15700, kN}}, 16300, 16300,
     At(16300, Lines{"play once again.wav", "key 89"} + kNewGame + Lines{"key 78"})},
    {"a close while the score is spoken is handled after the speech", Events{{15600, kClose}},
     16300, kEnd, At(16300, {"play once again.wav", "close"}) + Shutdown(16300, false),
     Outcome::kEnded},
    {"arrows after the game do nothing until Y",
     Events{{17000, kLeft}, {17100, kY}, {17200, kLeft}}, 17000, 17200,
     At(17000, {"key 37"}) + At(17100, Lines{"key 89"} + kNewGame) +
         At(17200, {"key 37", "play once move.wav"}),
     Outcome::kIdle, [](GameHarness& g) { ArrangeAt(g, 16400); }},
    {"N after the game quits", Events{{17000, kN}}, 17000, kEnd,
     At(17000, {"key 78"}) + Shutdown(17000, false), Outcome::kEnded},
    {"a failure inside the cell test's trap reaches the top of the key handler",
     Events{{5100, kRight}}, 5100, kEnd,
     At(5100, {"key 39", "play once found.wav", "play once atedge.wav", "error"}), Outcome::kError,
     [](GameHarness& g) {
       g.platform.failures = {"play once found.wav", "play once atedge.wav"};
       ArrangeAt(g, 5000);
     }},
    {"a failing stop of the music ends the shutdown before any release", Events{{5000, kClose}},
     5000, kEnd, At(5000, {"close", "unload", "stop background.wav", "error"}), Outcome::kError,
     [](GameHarness& g) { g.platform.failures = {"stop background.wav"}; }},
};

TEST(Game, Scenarios) {
  for (const Scenario& s : kScenarios) {
    SCOPED_TRACE(s.name);
    GameHarness game;
    for (auto [at, key] : s.events) key == kClose ? game.platform.Close(at) : game.Key(at, key);
    s.setup(game);
    Outcome outcome = game.Start();
    if (outcome == Outcome::kIdle) outcome = game.RunUntil(s.until);
    EXPECT_EQ(outcome, s.outcome);
    Lines log;
    for (const auto& line : game.platform.Log(s.from)) {
      if (std::stoll(line) <= s.until) log.push_back(line);
    }
    EXPECT_EQ(log, s.expected);
  }
}

struct KeyCase {
  Cell star, at;
  int32_t score;
  int16_t key;
  Lines cues;
  Cell after;
  int32_t scoreAfter;
  const char* failure = "";
};

TEST(Game, KeysInARunningGame) {
  const int32_t big = std::numeric_limits<int32_t>::max() - 10;
  const Lines edge = {"play once atedge.wav"}, step = {"play once move.wav"};
  const Lines found = {"play once found.wav"}, next = {"play once nextlevel.wav"};
  const auto arm = [](int ms) {
    return Lines{"timer interval " + std::to_string(ms), "timer enabled"};
  };
  const KeyCase cases[] = {
      {{3, 3}, {1, 3}, 0, kLeft, edge, {1, 3}, 0},
      {{3, 3}, {5, 3}, 0, kRight, edge, {5, 3}, 0},
      {{3, 3}, {3, 1}, 0, kUp, edge, {3, 1}, 0},
      {{3, 3}, {3, 5}, 0, kDown, edge, {3, 5}, 0},
      {{1, 1}, {3, 3}, 0, kLeft, step, {2, 3}, 0},
      {{1, 1}, {3, 3}, 0, kRight, step, {4, 3}, 0},
      {{1, 1}, {3, 3}, 0, kUp, step, {3, 2}, 0},
      {{1, 1}, {3, 3}, 0, kDown, step, {3, 4}, 0},
      {{3, 3}, {3, 3}, 0, kLeft, step, {2, 3}, 0},  // a star underfoot is found by coming back
      {{4, 3}, {3, 3}, 0, kRight, found + arm(5000), {4, 3}, 50},
      {{4, 3}, {3, 3}, 450, kRight, found + next + arm(4500), {4, 3}, 500},
      {{2, 3}, {3, 3}, 950, kLeft, found + next + arm(4000), {2, 3}, 1000},
      {{3, 2}, {3, 3}, 1450, kUp, found + next + arm(3800), {3, 2}, 1500},
      {{3, 4}, {3, 3}, 1950, kDown, found + next + arm(3500), {3, 4}, 2000},
      {{4, 3}, {3, 3}, 450, kRight, found + next + edge, {4, 3}, 500, "play once nextlevel.wav"},
      {{4, 3}, {3, 3}, big, kRight, found + edge, {4, 3}, big},  // the overflow is trapped
      {{4, 3}, {3, 3}, 0, kY, {}, {3, 3}, 0},
      {{4, 3}, {3, 3}, 0, kN, {}, {3, 3}, 0},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "key " << c.key << " at score " << c.score);
    GameHarness game;
    ASSERT_EQ(game.Start(), Outcome::kIdle);
    game.Arrange(c.star, c.at);
    game.State().Score = c.score;
    if (*c.failure) game.platform.failures = {c.failure};
    const int64_t now = game.Now() + 1;
    game.Key(now, c.key);
    EXPECT_EQ(game.RunUntil(now), Outcome::kIdle);
    EXPECT_EQ(game.platform.Log(now, "", false), Lines{"key " + std::to_string(c.key)} + c.cues);
    EXPECT_EQ(std::tuple(game.State().Column, game.State().Row, game.State().Score),
              std::tuple(c.after.first, c.after.second, c.scoreAfter));
    EXPECT_NE(game.Star(), Cell(0, 0));
  }
}

TEST(Game, FortyStarsReachEveryLevelAndTheNextGameAnnouncesThemAgain) {
  GameHarness game;
  game.Start();
  for (int star = 0; star < 40; ++star) game.WalkToStar();
  const int64_t armed = game.Now();
  game.RunUntil(armed + 20000);  // lost after two intervals of the fifth level
  game.Key(game.Now(), kY);
  game.RunUntil(game.Now());
  for (int star = 0; star < 10; ++star) game.WalkToStar();
  EXPECT_EQ(game.platform.Log(armed, "play once nofind"),
            At(armed + 7000, {"play once nofind.wav"}));
  EXPECT_EQ(game.platform.Log(armed, "speak", false),
            (Lines{"speak 2.wav", "speak thousand.wav", "speak points.wav"}));
  Lines intervals;
  for (const auto& line : game.platform.Log(0, "timer interval", false)) {
    if (intervals.empty() || intervals.back() != line.substr(15))
      intervals.push_back(line.substr(15));
  }
  EXPECT_EQ(intervals, (Lines{"5000", "4500", "4000", "3800", "3500", "5000", "4500"}));
  EXPECT_EQ(game.platform.Log(0, "play once nextlevel").size(), 5u);  // once per level and game
}

TEST(Game, PauseWaitsFromTheRoundedSecondAndAcrossMidnight) {
  // {clock at the start, length in ms}: halves round to even; the clock falls to 0 at midnight.
  for (auto [clock, ms] :
       {std::pair{10.4, 600}, {10.5, 500}, {11.5, 1500}, {86399.0, 1000}, {86399.7, 1300}}) {
    GameHarness game;
    game.platform.midnightOffset = clock;
    double seconds = 1.0;
    game.form.Pause(seconds);
    // Near midnight a float reading of the clock is good to 8 ms only.
    EXPECT_NEAR(game.Now(), ms, 10) << clock;
  }
}

TEST(Game, StarsAndStartCellsAreUniformAndIndependent) {
  // Start-up draws the star's column and row, then the player's, all within one clock reading;
  // each pair and the offset between them must come up evenly. One seed for all: the clock,
  // mixed into every draw, makes the difference.
  constexpr int kRuns = 2500;
  std::array<int, 25> stars{}, starts{}, offsets{};
  for (int run = 0; run < kRuns; ++run) {
    GameHarness game;
    game.platform.midnightOffset += run;
    game.platform.files["intro.wav"] = 1;
    game.Start();
    const auto [c, r] = game.Star();
    const GameState& s = game.State();
    ASSERT_TRUE(c >= 1 && c <= 5 && r >= 1 && r <= 5 && s.Column >= 1 && s.Column <= 5 &&
                s.Row >= 1 && s.Row <= 5);
    ++stars[(c - 1) * 5 + r - 1];
    ++starts[(s.Column - 1) * 5 + s.Row - 1];
    ++offsets[(s.Column - c + 5) % 5 * 5 + (s.Row - r + 5) % 5];
  }
  for (const auto& counts : {stars, starts, offsets}) {
    double chiSquare = 0;
    for (int n : counts) chiSquare += std::pow(n - kRuns / 25.0, 2) / (kRuns / 25.0);
    EXPECT_LT(chiSquare, 51.2);  // 24 degrees of freedom, p = 0.001
  }
}

TEST(StarTimer, MergesTicksMissedWhileBusyAndRefusesANegativeInterval) {
  StarTimer timer;
  timer.SetInterval(1000, 0);
  timer.SetEnabled(true, 0);
  EXPECT_TRUE(timer.TakeDueTick(3500));
  EXPECT_FALSE(timer.TakeDueTick(3999));
  EXPECT_THROW(timer.SetInterval(-1, 0), RuntimeError);
  EXPECT_NO_THROW(timer.SetInterval(0, 0));
}

}  // namespace
}  // namespace scurrow::testing
