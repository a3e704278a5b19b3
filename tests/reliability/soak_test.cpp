// The soak: many whole runs of the program on the virtual platform, each under
// a storm of keys and close requests at random times, with the game's
// invariants checked after every event the shell delivers.
//
// SCURROW_SOAK_GAMES sets the number of runs (default kDefaultRuns); the seed
// is fixed, so a failure names the run that reproduces it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "game/frm_main.h"
#include "tests/support/sound_folder.h"
#include "tests/support/virtual_platform.h"

namespace scurrow::testing {
namespace {

constexpr int kDefaultRuns = 3000;
constexpr uint64_t kSeed = 20240611;

// Short sounds keep the waits that the pump counts out in single
// milliseconds cheap.
constexpr int64_t kIntroMs = 60;
constexpr int64_t kNoFindMs = 30;
constexpr int64_t kWordMs = 4;
constexpr int64_t kPauseMs = 1000;

constexpr std::array<int32_t, 5> kPaceIntervals = {5000, 4500, 4000, 3800, 3500};
constexpr std::array<int16_t, 4> kArrows = {frmMain::kKeyLeft, frmMain::kKeyUp, frmMain::kKeyRight,
                                            frmMain::kKeyDown};
// Keys the game does not act on, odd codes included.
constexpr std::array<int16_t, 14> kOtherKeys = {0,  -1, 8,  13,  27,  32,    48,
                                                57, 65, 90, 112, 300, 32767, -32768};

// A broken rule: it ends the run at once, past every handler, since it
// derives from neither RuntimeError nor ProgramEnd.
struct InvariantBroken {
  std::string what;
};

// How much of the game the storms reached, summed over all runs.
struct Coverage {
  int runs = 0;
  int keys = 0;
  int keysInPause = 0;
  int keysInIntro = 0;
  int keysInCue = 0;
  int keysInSpeech = 0;
  int gamesStartedDuringStartUp = 0;
  int starsFound = 0;
  int levelCues = 0;
  int timeOuts = 0;
  int newGamesAfterGameOver = 0;
  int quitsByN = 0;
  int closeRequests = 0;
  int runsAcrossMidnight = 0;

  std::string Summary() const {
    std::ostringstream out;
    out << runs << " runs, " << keys << " keys (" << keysInPause << " in the pause, " << keysInIntro
        << " in the introduction, " << keysInCue << " in the time-out cue, " << keysInSpeech
        << " during the speech), " << starsFound << " stars, " << levelCues << " level cues, "
        << timeOuts << " time-outs, " << gamesStartedDuringStartUp
        << " games started during start-up, " << newGamesAfterGameOver << " new games, " << quitsByN
        << " quits by N, " << closeRequests << " close requests, " << runsAcrossMidnight
        << " runs across midnight";
    return out.str();
  }
};

int RunsFromEnvironment() {
  const char* text = std::getenv("SCURROW_SOAK_GAMES");
  if (text == nullptr || *text == '\0') return kDefaultRuns;
  char* end = nullptr;
  const long runs = std::strtol(text, &end, 10);
  if (*end != '\0' || runs < 1) {
    ADD_FAILURE() << "SCURROW_SOAK_GAMES is not a positive number: '" << text << "'";
    return 0;
  }
  return static_cast<int>(std::min<long>(runs, 100'000'000));
}

// One run of the program: start-up, whatever games the keys make of it, and
// the end by N or by a close request.
class SoakRun {
 public:
  SoakRun(const std::string& folder, uint64_t seed, Coverage& coverage)
      : random_(seed), platform_(folder, seed), coverage_(coverage) {}

  void Play() {
    VirtualShell& shell = platform_.shell;
    const int64_t horizon = Pick({2'000, 15'000, 60'000, 240'000});
    midnight_ = ChooseMidnightOffset();
    shell.SetMidnightOffset(midnight_);
    seeker_ = Chance(0.4);
    ScheduleStartUpKeys();
    ScheduleStorm(horizon);
    shell.Close(horizon);
    shell.SetObserver([this] { AfterEvent(); });

    Outcome outcome = shell.Start(form_);
    startUpDone_ = true;
    if (outcome == Outcome::kIdle) {
      Check("after start-up");
      outcome = shell.RunUntil(horizon + 600'000);
    }
    if (outcome != Outcome::kEnded) {
      Fail(outcome == Outcome::kError ? "the run ended in an error: " + shell.Error()->Report()
                                      : "the run did not end after its close request");
    }
    if (platform_.audio.LoadedBuffers() != 0) Fail("buffers left loaded at the end");
    if (platform_.audio.ReleasedTouches() != 0) Fail("a released buffer was used");
    if (platform_.log.Count("release device") != 1 || platform_.log.Count("release root") != 1) {
      Fail("the device and the sound system were not released once each");
    }
    CheckLog();
  }

 private:
  // --- the storm ---

  bool Chance(double p) { return std::bernoulli_distribution(p)(random_); }
  int64_t Uniform(int64_t low, int64_t high) {
    return std::uniform_int_distribution<int64_t>(low, high)(random_);
  }
  template <typename T>
  T Pick(std::initializer_list<T> items) {
    return *(items.begin() + Uniform(0, static_cast<int64_t>(items.size()) - 1));
  }

  double ChooseMidnightOffset() {
    switch (Uniform(0, 3)) {
      case 0:  // the pause straddles midnight
        return 86399.0 + Uniform(0, 999) / 1000.0;
      case 1:
        return Uniform(0, 86'399'999) / 1000.0;
      default:
        return 3600.0 + Uniform(0, 999) / 1000.0;
    }
  }

  int16_t RandomKey(double yes, double no) {
    const double r = std::uniform_real_distribution<double>(0, 1)(random_);
    if (r < yes) return frmMain::kKeyY;
    if (r < yes + no) return frmMain::kKeyN;
    if (r < yes + no + 0.15) return kOtherKeys[Uniform(0, kOtherKeys.size() - 1)];
    return kArrows[Uniform(0, kArrows.size() - 1)];
  }

  void Key(int64_t at, int16_t code) {
    platform_.shell.KeyDown(at, code, static_cast<int16_t>(Chance(0.1) ? Uniform(1, 7) : 0));
    scheduled_.push_back(at);
  }

  // A held key: the first press, then the repeats after the delay.
  void Burst(int64_t at, int16_t code) {
    Key(at, code);
    const int64_t repeats = Uniform(3, 40);
    for (int64_t i = 0; i < repeats; ++i) Key(at + 660 + 40 * i, code);
  }

  void ScheduleStartUpKeys() {
    if (Chance(0.5)) return;
    const int count = static_cast<int>(Uniform(1, 6));
    const double no = Chance(0.15) ? 0.2 : 0.0;
    for (int i = 0; i < count; ++i) {
      Key(Uniform(0, kPauseMs + 500 + kIntroMs), RandomKey(0.25, no));
    }
  }

  void ScheduleStorm(int64_t horizon) {
    const int64_t meanGap = Pick({20, 100, 400, 2000});
    for (int64_t at = Uniform(0, meanGap); at < horizon; at += Uniform(1, 2 * meanGap)) {
      if (Chance(0.002)) {
        platform_.shell.Close(at);
      } else if (Chance(0.03)) {
        Burst(at, RandomKey(0.05, 0.01));
      } else {
        Key(at, RandomKey(0.05, 0.01));
      }
    }
  }

  // Runs after every handler: checks, then perhaps adds keys aimed at what
  // comes next.
  void AfterEvent() {
    Check("after an event");
    const GameState& state = form_.State();
    const StarTimer& timer = platform_.shell.Timer();
    const int64_t now = platform_.clock.ms;
    if (state.Lives != 1 || state.InputLocked || !timer.Deadline()) return;

    // The tick that ends this star, unless it is found first: keys for the
    // time-out cue and for the speech that follows it.
    const int64_t timeOut = *timer.Deadline() + (state.SkipNextTick ? timer.Interval() : 0);
    if (timeOut != aimedAt_ && Chance(0.3)) {
      aimedAt_ = timeOut;
      for (int i = static_cast<int>(Uniform(1, 3)); i > 0; --i) {
        Key(timeOut + Uniform(0, kNoFindMs + 3 * kWordMs), RandomKey(0.2, 0.05));
      }
    }
    // A player who heads for the star, one step at a time.
    if (seeker_ && seekerStepAt_ <= now) {
      seekerStepAt_ = now + Uniform(1, 400);
      Key(seekerStepAt_, StepTowardsStar());
    }
  }

  int16_t StepTowardsStar() {
    const GameState& state = form_.State();
    const auto [column, row] = Star();
    if (column > state.Column) return frmMain::kKeyRight;
    if (column < state.Column) return frmMain::kKeyLeft;
    if (row > state.Row) return frmMain::kKeyDown;
    if (row < state.Row) return frmMain::kKeyUp;
    return state.Column > 1 ? frmMain::kKeyLeft : frmMain::kKeyRight;
  }

  std::pair<int16_t, int16_t> Star() {
    const GameState& state = form_.State();
    for (int16_t c = 1; c <= 5; ++c) {
      for (int16_t r = 1; r <= 5; ++r) {
        if (state.Board->Cell(c, r) == kStar) return {c, r};
      }
    }
    return {0, 0};
  }

  // --- the rules ---

  // Ends the run with the broken rule and the last things that happened.
  [[noreturn]] void Fail(const std::string& what) {
    std::string text = what + "; the log ends:";
    const auto& entries = platform_.log.Entries();
    for (size_t i = entries.size() > 12 ? entries.size() - 12 : 0; i < entries.size(); ++i) {
      text += "\n  " + std::to_string(entries[i].ms) + " " + entries[i].what;
    }
    throw InvariantBroken{text};
  }

  void Check(const char* when) {
    GameState& state = form_.State();
    const std::string context = std::string(" (") + when + ")";
    if (state.Board) {
      int stars = 0;
      for (int16_t c = 0; c <= 5; ++c) {
        for (int16_t r = 0; r <= 5; ++r) {
          const std::string& cell = state.Board->Cell(c, r);
          if (cell.empty()) continue;
          if (cell != kStar || c == 0 || r == 0) Fail("a cell holds something else" + context);
          ++stars;
        }
      }
      if (stars != 1) Fail(std::to_string(stars) + " stars on the board" + context);
    }
    // Arrows during start-up move from 0 and may leave the grid; start-up
    // then puts the player on it.
    if (startUpDone_ && (state.Column < 1 || state.Column > 5 || state.Row < 1 || state.Row > 5)) {
      Fail("the player stands off the grid at " + std::to_string(state.Column) + "," +
           std::to_string(state.Row) + context);
    }
    if (state.Score < 0 || state.Score % 50 != 0) {
      Fail("score " + std::to_string(state.Score) + context);
    }
    if (state.Lives != 0 && state.Lives != 1)
      Fail("lives " + std::to_string(state.Lives) + context);
    // A star counts down exactly while a game is being played: not before the
    // first game, not during the time-out cue (lives still 1, arrows locked),
    // not after the game is over.
    const StarTimer& timer = platform_.shell.Timer();
    const bool counting = timer.Enabled() && timer.Interval() > 0;
    const bool playing = state.Lives == 1 && !state.InputLocked;
    if (counting != playing) {
      Fail(std::string("the star timer is ") + (counting ? "" : "not ") + "counting with lives " +
           std::to_string(state.Lives) + (state.InputLocked ? ", arrows locked" : "") + context);
    }
    if (counting && std::find(kPaceIntervals.begin(), kPaceIntervals.end(), timer.Interval()) ==
                        kPaceIntervals.end()) {
      Fail("timer interval " + std::to_string(timer.Interval()) + context);
    }
    if (platform_.audio.ReleasedTouches() != 0) Fail("a released buffer was used" + context);
  }

  // What the whole run's log must show, and what it covered.
  void CheckLog() {
    struct Span {
      int64_t from;
      int64_t to;
    };
    std::vector<Span> pause, intro, cue, speech;
    int64_t armedAt = -1;
    int32_t interval = 0;
    int64_t cueAt = -1;
    int64_t speechAt = -1;
    int levelCuesThisGame = 0;
    bool startedUp = false;
    std::string previous;
    for (const LogEntry& e : platform_.log.Entries()) {
      if (e.what == "play once intro.wav") {
        pause.push_back({0, e.ms});
        intro.push_back({e.ms, e.ms});
      } else if (e.what == "release intro.wav" && !intro.empty() && !startedUp) {
        intro.back().to = e.ms;
        startedUp = true;
        levelCuesThisGame = 0;
      } else if (e.what.starts_with("timer interval ")) {
        interval = std::stoi(e.what.substr(15));
      } else if (e.what == "timer enabled") {
        armedAt = e.ms;
      } else if (e.what == "play once nofind.wav") {
        // A star is lost at the second tick after its arming.
        if (e.ms - armedAt != 2 * int64_t{interval}) {
          Fail("a star was lost " + std::to_string(e.ms - armedAt) + " ms after its arming at " +
               std::to_string(interval) + " ms a tick");
        }
        cueAt = e.ms;
        ++coverage_.timeOuts;
      } else if (e.what.starts_with("speak ") && speechAt < 0) {
        speechAt = e.ms;
        if (cueAt >= 0) cue.push_back({cueAt, e.ms});
      } else if (e.what == "play once again.wav") {
        if (speechAt >= 0) speech.push_back({speechAt, e.ms});
        speechAt = -1;
        cueAt = -1;
      } else if (e.what == "stop again.wav") {
        if (startedUp) {
          ++coverage_.newGamesAfterGameOver;
        } else {
          ++coverage_.gamesStartedDuringStartUp;
        }
        levelCuesThisGame = 0;
      } else if (e.what == "play once nextlevel.wav") {
        ++coverage_.levelCues;
        if (++levelCuesThisGame > 4) Fail("more than four level cues in one game");
      } else if (e.what == "play once found.wav") {
        ++coverage_.starsFound;
      } else if (e.what == "close") {
        ++coverage_.closeRequests;
      } else if (e.what == "unload" && previous == "key 78") {
        ++coverage_.quitsByN;
      }
      previous = e.what;
    }
    const int64_t end = platform_.log.Entries().back().ms;
    auto countIn = [&](const std::vector<Span>& spans) {
      int count = 0;
      for (int64_t at : scheduled_) {
        if (at > end) continue;
        for (const Span& span : spans) count += at >= span.from && at < span.to;
      }
      return count;
    };
    coverage_.keys += static_cast<int>(
        std::count_if(scheduled_.begin(), scheduled_.end(), [&](int64_t at) { return at <= end; }));
    coverage_.keysInPause += countIn(pause);
    coverage_.keysInIntro += countIn(intro);
    coverage_.keysInCue += countIn(cue);
    coverage_.keysInSpeech += countIn(speech);
    if (!pause.empty() && midnight_ + pause.front().to / 1000.0 >= 86400.0 && midnight_ < 86400.0) {
      ++coverage_.runsAcrossMidnight;
    }
    ++coverage_.runs;
  }

  std::mt19937_64 random_;
  VirtualPlatform platform_;
  frmMain form_{platform_.shell, platform_.audio, platform_.player};
  Coverage& coverage_;
  std::vector<int64_t> scheduled_;
  double midnight_ = 0;
  bool startUpDone_ = false;
  bool seeker_ = false;
  int64_t seekerStepAt_ = 0;
  int64_t aimedAt_ = -1;
};

// A program folder of short, quiet sounds, shared by every run.
const SoundFolder& ShortSounds() {
  static SoundFolder folder;
  static const bool written = [] {
    const std::pair<const char*, int64_t> effects[] = {
        {"background.wav", 200}, {"move.wav", 5},           {"found.wav", 8},
        {"atedge.wav", 5},       {"nofind.wav", kNoFindMs}, {"again.wav", 20},
        {"nextlevel.wav", 10},   {"intro.wav", kIntroMs}};
    for (const auto& [name, ms] : effects) folder.Write(name, ms);
    std::vector<std::string> words = {"hundred", "thousand", "points"};
    for (int n = 0; n <= 19; ++n) words.push_back(std::to_string(n));
    for (int n = 20; n <= 90; n += 10) words.push_back(std::to_string(n));
    for (const std::string& word : words) folder.Write(word + ".wav", kWordMs);
    return true;
  }();
  (void)written;
  return folder;
}

TEST(Soak, WholeGamesUnderKeyStormsKeepEveryRule) {
  const int runs = RunsFromEnvironment();
  Coverage coverage;
  std::mt19937_64 seeds(kSeed);
  for (int run = 0; run < runs; ++run) {
    const uint64_t seed = seeds();
    try {
      SoakRun(ShortSounds().Path(), seed, coverage).Play();
    } catch (const InvariantBroken& broken) {
      FAIL() << "run " << run << " (seed " << seed << "): " << broken.what;
    }
  }
  std::printf("soak: %s\n", coverage.Summary().c_str());
  EXPECT_EQ(coverage.runs, runs);

  // Enough runs must have reached every wait and every way a game goes on or
  // ends; fewer runs, as when only trying the test out, prove less.
  if (runs >= 500) {
    EXPECT_GT(coverage.keysInPause, 0) << coverage.Summary();
    EXPECT_GT(coverage.keysInIntro, 0) << coverage.Summary();
    EXPECT_GT(coverage.keysInCue, 0) << coverage.Summary();
    EXPECT_GT(coverage.keysInSpeech, 0) << coverage.Summary();
    EXPECT_GT(coverage.gamesStartedDuringStartUp, 0) << coverage.Summary();
    EXPECT_GT(coverage.levelCues, 0) << coverage.Summary();
    EXPECT_GT(coverage.newGamesAfterGameOver, 0) << coverage.Summary();
    EXPECT_GT(coverage.quitsByN, 0) << coverage.Summary();
    EXPECT_GT(coverage.closeRequests, 0) << coverage.Summary();
    EXPECT_GT(coverage.runsAcrossMidnight, 0) << coverage.Summary();
  }
}

}  // namespace
}  // namespace scurrow::testing
