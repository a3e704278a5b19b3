// The game's rules on the virtual platform: whole runs as a table of scenarios, the pause, the
// stars drawn evenly, and the words of the spoken score.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "sound/mod_speak_score.h"
#include "tests/support/virtual_platform.h"

namespace scurrow::testing {
namespace {

const std::map<std::string, int16_t> kKeys = {{"Left", 37}, {"Up", 38}, {"Right", 39},
                                              {"Down", 40}, {"N", 78},  {"Y", 89}};

// What follows an unload: the music stops, every buffer still held goes, the program ends.
std::string Shutdown(bool introHeld) {
  return std::string("unload, stop background, release background, release move, ") +
         "release found, release atedge, release nofind, release again, " + "release nextlevel, " +
         (introHeld ? "release intro, " : "") + "release device, release root, end program";
}

// A star lost at `ms`: the timer and the music stop and the time-out cue plays; then a score
// of 0 is spoken and the prompt plays.
const std::string kLost = "tick, timer off, stop background, rewind background, play nofind";
std::string TimeOut(int64_t ms) {
  const auto at = [ms](int64_t after) { return "; " + std::to_string(ms + after) + ": "; };
  return std::to_string(ms) + ": " + kLost + at(1500) +
         "stop background, rewind background, cd /game, say 0" + at(1900) + "say points" +
         at(2300) + "play again";
}
const std::string kNewGame = "stop again, rewind again, loop background, interval 5000, timer on";
const std::string kIntroEnd = "release intro, loop background, interval 5000, timer on";

// Carries out a script: "<ms> <key>", "<ms> close", "<ms> arrange [<score> [<column> <row>]]"
// (the star on (4, 3), the player on (3, 3) or the cell given, and the score), "intro <ms>" (its
// length), "fail <operation>"; separated by ";".
void Script(VirtualPlatform& game, const std::string& script) {
  std::istringstream entries(script);
  for (std::string entry, first, word; std::getline(entries, entry, ';');) {
    std::istringstream in(entry);
    std::getline(in >> first >> std::ws, word);
    if (first == "intro") game.files["intro.wav"] = std::stoll(word);
    if (first == "fail") game.failures.insert(word);
    if (first == "intro" || first == "fail") continue;
    const int64_t at = std::stoll(first);
    if (word == "close") game.Close(at);
    if (kKeys.count(word)) game.KeyDown(at, kKeys.at(word));
    std::istringstream arrange(word);
    int32_t score = 0;
    int16_t column = 3, row = 3;
    if (arrange >> word && word == "arrange") {
      arrange >> score >> column >> row;
      game.At(at, [&game, score, column, row] { game.Arrange(column, row, score); });
    }
  }
}

// The fields of the game's state that a player's next steps depend on.
std::string Summary(VirtualPlatform& game) {
  const GameState& s = game.State();
  return "at " + std::to_string(s.Column) + "," + std::to_string(s.Row) + ", score " +
         std::to_string(s.Score) + ", lives " + std::to_string(s.Lives) +
         (s.InputLocked ? ", locked" : "") + (s.SkipNextTick ? ", skip" : "") +
         (game.Star() == Cell{0, 0} ? ", no star" : "");
}

struct Scenario {
  const char* name;
  const char* script;
  int64_t from, until;  // the log is compared between these times
  std::string expected;
  const char* state = nullptr;  // the game's state at `until`, where it matters
};
constexpr int64_t kEnd = 60000;

// Start-up with the clock on a whole second: the pause ends at 1000 and the introduction at
// 4000; the first star is lost at its second tick, at 14000, and the prompt plays at 16300.
const Scenario kScenarios[] = {
    {"no key: start-up, then the first star is lost at its second tick", "", 0, 20000,
     "0: create root, open device, bind to window 1, load /game/background.wav, load "
     "/game/move.wav, load /game/found.wav, load /game/atedge.wav, load /game/nofind.wav, load "
     "/game/again.wav, load /game/nextlevel.wav, load /game/intro.wav, show window; 1000: play "
     "intro; 4000: " +
         kIntroEnd + "; 9000: tick; " + TimeOut(14000)},
    {"arrows before the first star bump through the cell test's trap; a close in the pause",
     "300 Left; 300 Up; 300 Right; 300 Down; 500 close", 300, kEnd,
     "300: key 37, play atedge, key 38, play atedge, key 39, play atedge, key 40, play atedge; "
     "500: close, " +
         Shutdown(true)},
    {"Y and N before the first star count as after a game: N in the introduction quits", "2000 N",
     2000, kEnd, "2000: key 78, " + Shutdown(true)},
    {"Y in the pause starts a game at 0,0: row and column 0 lie on the board, -1 and -2 off it, "
     "and only the edge itself bumps; the introduction follows and re-arms the timer",
     "500 Y; 600 Right; 700 Up; 800 Up; 900 Down", 500, 9000,
     "500: key 89, " + kNewGame +
         "; 600: key 39, play move; 700: key 38, play atedge; 800: key 38, play atedge; 900: key "
         "40, play atedge; 1000: play intro; 4000: " +
         kIntroEnd + "; 9000: tick"},
    {"a game lost in a long introduction leaves the next game answering arrows",
     "intro 20000; 1500 Y; 21001 arrange; 21050 Left", 21000, 21050,
     "21000: " + kIntroEnd + "; 21050: key 37, play move"},
    {"the score of a game played in the introduction sets the pace of the first star",
     "intro 40000; 1500 Y; 1600 arrange 450; 1700 Right", 41000, 53000,
     "41000: release intro, loop background, interval 4500, timer on; 45500: tick; " +
         TimeOut(50000)},
    {"keys in the time-out cue change nothing; a close there ends the program inside the wait",
     "14100 Y; 14100 N; 14100 Left; 14100 Right; 14100 Up; 14100 Down; 14500 close", 14000, kEnd,
     "14000: " + kLost + "; 14100: key 89, key 78, key 37, key 39, key 38, key 40; 14500: close, " +
         Shutdown(false)},
    {"arrows after the game do nothing until Y, which keeps the cell and starts at 0 points",
     "16400 arrange 150; 17000 Left; 17100 Y; 17200 Left", 17000, 17200,
     "17000: key 37; 17100: key 89, " + kNewGame + "; 17200: key 37, play move",
     "at 2,3, score 0, lives 1, skip"},
    {"each edge bumps and holds the player; the step before it moves",
     "4001 arrange 0 2 2; 4002 Left; 4002 Left; 4002 Up; 4002 Up; 4003 arrange 0 4 4; 4004 Right; "
     "4004 Right; 4004 Down; 4004 Down",
     4002, 4004,
     "4002: key 37, play move, key 37, play atedge, key 38, play move, key 38, play atedge; 4004: "
     "key 39, play move, key 39, play atedge, key 40, play move, key 40, play atedge",
     "at 5,5, score 0, lives 1, skip"},
    {"each bound belongs to the faster level, announced once a game; none after the fifth",
     "4001 arrange 449; 4002 Right; 4003 arrange 450; 4004 Right; 4005 arrange 949; 4006 Right; "
     "4007 arrange 950; 4008 Right; 4009 arrange 1449; 4010 Right; 4011 arrange 1450; 4012 Right; "
     "4013 arrange 1949; 4014 Right; 4015 arrange 1950; 4016 Right; 4017 arrange 2450; 4018 Right",
     4002, 4018,
     "4002: key 39, play found, interval 5000, timer on; 4004: key 39, play found, play nextlevel, "
     "interval 4500, timer on; 4006: key 39, play found, interval 4500, timer on; 4008: key 39, "
     "play found, play nextlevel, interval 4000, timer on; 4010: key 39, play found, interval "
     "4000, timer on; 4012: key 39, play found, play nextlevel, interval 3800, timer on; 4014: key "
     "39, play found, interval 3800, timer on; 4016: key 39, play found, play nextlevel, interval "
     "3500, timer on; 4018: key 39, play found, interval 3500, timer on",
     "at 4,3, score 2500, lives 1, skip"},
    {"an overflowing score is answered with the edge cue; then steps, and a bump at the edge",
     "4001 arrange 2147483640; 4002 Right; 4002 Up; 4002 Up; 4002 Up", 4002, 4002,
     "4002: key 39, play found, play atedge, key 38, play move, key 38, play move, key 38, play "
     "atedge"},
    {"a failing level cue still leaves the next star hidden",
     "fail play nextlevel; 4001 arrange 450; 4002 Right", 4002, 4002,
     "4002: key 39, play found, play nextlevel, play atedge", "at 4,3, score 500, lives 1, skip"},
    {"a failing level cue is answered with the edge cue; the score, the new star and the level's "
     "flag stay until the next game announces the level again",
     "fail play nextlevel; 4001 arrange 450; 4002 Right; 4003 arrange 500; 4004 Right; 16200 Y; "
     "16201 arrange 450; 16202 Right",
     4002, 16202,
     "4002: key 39, play found, play nextlevel, play atedge; 4004: key 39, play found, interval "
     "4500, timer on; 8504: tick; 13004: " +
         kLost +
         "; 14504: stop background, rewind background, cd /game, say 5; 14904: say hundred; 15304: "
         "say 50; 15704: say points; 16104: play again; 16200: key 89, " +
         kNewGame + "; 16202: key 39, play found, play nextlevel, interval 4500, timer on"},
};

TEST(Game, Scenarios) {
  for (const Scenario& s : kScenarios) {
    VirtualPlatform game;
    Script(game, s.script);
    game.Start();
    // Start-up begins every game afresh, whatever a game in its waits announced.
    EXPECT_EQ(game.State().LevelAnnounced, (std::array<bool, 4>{})) << s.name;
    game.RunUntil(s.until);
    EXPECT_EQ(game.Story(s.from, s.until), s.expected) << s.name;
    if (s.state) {
      EXPECT_EQ(Summary(game), s.state) << s.name;
    }
  }
}

TEST(Game, PauseWaitsFromTheRoundedSecondAndAcrossMidnight) {
  // {clock at the start, length in ms}: halves round to even; the clock falls to 0 at midnight.
  for (auto [clock, ms] :
       {std::pair{10.4, 600}, {10.5, 500}, {11.5, 1500}, {86399.0, 1000}, {86399.7, 1300}}) {
    VirtualPlatform game;
    game.midnightOffset = clock;
    double seconds = 1.0;
    game.form.Pause(seconds);
    // Near midnight a float reading of the clock is good to 8 ms only.
    EXPECT_NEAR(game.Now(), ms, 10) << clock;
  }
}

TEST(Game, StarsAreUniformAndStartCellsIndependentOfThem) {
  // Start-up draws the star's column and row, then the player's, all within one clock reading;
  // the star's cell and the player's offset from it, and from the next star, must come up
  // evenly. One seed for all: the clock, mixed into every draw, makes the difference.
  constexpr int kRuns = 2500;
  std::array<int, 25> stars{}, offsets{}, newOffsets{};
  for (int run = 0; run < kRuns; ++run) {
    VirtualPlatform game;
    game.midnightOffset += run;
    game.files["intro.wav"] = 1;
    game.Start();
    const auto [c, r] = game.Star();
    const GameState& s = game.State();
    ASSERT_TRUE(c >= 1 && c <= 5 && r >= 1 && r <= 5 && s.Column >= 1 && s.Column <= 5 &&
                s.Row >= 1 && s.Row <= 5);
    ++stars[(c - 1) * 5 + r - 1];
    ++offsets[(s.Column - c + 5) % 5 * 5 + (s.Row - r + 5) % 5];
    game.form.PlaceStar();  // the next star may be hidden under the player's own cell too
    const auto [nc, nr] = game.Star();
    ++newOffsets[(s.Column - nc + 5) % 5 * 5 + (s.Row - nr + 5) % 5];
  }
  for (const auto& counts : {stars, offsets, newOffsets}) {
    double chiSquare = 0;
    for (int n : counts) chiSquare += std::pow(n - kRuns / 25.0, 2) / (kRuns / 25.0);
    EXPECT_LT(chiSquare, 51.2);  // 24 degrees of freedom, p = 0.001
  }
}

// The words spoken for `value`, without ".wav", one after another, each followed by a space.
std::string Spoken(int32_t value) {
  struct : FilePlayer {
    void PlayAndWait(const std::string& name) override {
      said += name.substr(0, name.size() - 4) + " ";
    }
    std::string said;
  } words;
  VirtualPlatform platform;
  modSpeakScore speech(platform, words);
  speech.ScoreText = "999999";  // what an earlier score left has no effect
  speech.ScoreValue = value;
  speech.SpeakScore();
  return words.said;
}

TEST(Speech, SpeaksNumbersInEnglishWordOrderClosedByPoints) {
  // "<score>: <words>;" for each case. Seven digits have no number words.
  std::istringstream cases(
      "0: 0 points; 7: 7 points; 50: 50 points; 57: 50 7 points; 100: 1 hundred points; 150: 1 "
      "hundred 50 points; 1050: 1 thousand 50 points; 1100: 1 thousand 1 hundred points; 2500: 2 "
      "thousand 5 hundred points; 10050: 10 thousand 50 points; 12050: 12 thousand 50 points; "
      "15000: 15 thousand points; 21350: 20 1 thousand 3 hundred 50 points; 100050: 1 hundred "
      "thousand 50 points; 115000: 1 hundred 15 thousand points; 999950: 9 hundred 90 9 thousand 9 "
      "hundred 50 points; 1000000: points;");
  for (std::string value, words; std::getline(cases >> std::ws, value, ':');) {
    std::getline(cases >> std::ws, words, ';');
    EXPECT_EQ(Spoken(std::stoi(value)), words + " ") << value;
  }
}

}  // namespace
}  // namespace scurrow::testing
