// The spoken score: which number words play, in which order.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "sound/default_sound.h"
#include "sound/mod_speak_score.h"
#include "tests/support/sound_folder.h"
#include "tests/support/virtual_platform.h"

namespace scurrow::testing {
namespace {

using Words = std::vector<std::string>;

// Notes the names it is asked to play, and nothing else.
struct RecordingPlayer : FilePlayer {
  void PlayAndWait(const std::string& fileName) override { played.push_back(fileName); }
  Words played;
};

class SpeakScore : public ::testing::Test {
 protected:
  Words Speak(int32_t value) {
    player.played.clear();
    speech.ScoreValue = value;
    speech.SpeakScore();
    return player.played;
  }

  VirtualPlatform platform{"/opt/scurrow"};
  RecordingPlayer player;
  modSpeakScore speech{platform.shell, player};
};

struct SpeechCase {
  int32_t value;
  Words words;
};

TEST_F(SpeakScore, SpeaksEachNumberInEnglishWordOrder) {
  const std::vector<SpeechCase> cases = {
      {0, {"0.wav"}},
      {7, {"7.wav"}},
      {50, {"50.wav"}},
      {100, {"1.wav", "hundred.wav"}},
      {150, {"1.wav", "hundred.wav", "50.wav"}},
      {1000, {"1.wav", "thousand.wav"}},
      {1050, {"1.wav", "thousand.wav", "50.wav"}},
      {1100, {"1.wav", "thousand.wav", "1.wav", "hundred.wav"}},
      {2500, {"2.wav", "thousand.wav", "5.wav", "hundred.wav"}},
      {10050, {"10.wav", "thousand.wav", "50.wav"}},
      {12050, {"12.wav", "thousand.wav", "50.wav"}},
      {15000, {"15.wav", "thousand.wav"}},
      {21350, {"20.wav", "1.wav", "thousand.wav", "3.wav", "hundred.wav", "50.wav"}},
      {57, {"50.wav", "7.wav"}},
      {5, {"5.wav"}},
      {100000, {"1.wav", "hundred.wav", "thousand.wav"}},
      {100050, {"1.wav", "hundred.wav", "thousand.wav", "50.wav"}},
      {115000, {"1.wav", "hundred.wav", "15.wav", "thousand.wav"}},
      {999950,
       {"9.wav", "hundred.wav", "90.wav", "9.wav", "thousand.wav", "9.wav", "hundred.wav",
        "50.wav"}},
      {1000000, {}},
      {2147483647, {}},
  };
  for (const SpeechCase& c : cases) {
    Words expected = c.words;
    expected.push_back("points.wav");
    EXPECT_EQ(Speak(c.value), expected) << c.value;
  }
}

TEST_F(SpeakScore, EveryScoreOfAGameUsesOnlyTheThirtyOneWordsAndReachesThemAll) {
  std::set<std::string> allowed = {"0.wav", "hundred.wav", "thousand.wav", "points.wav"};
  for (int n = 1; n <= 19; ++n) allowed.insert(std::to_string(n) + ".wav");
  for (int n = 20; n <= 90; n += 10) allowed.insert(std::to_string(n) + ".wav");
  ASSERT_EQ(allowed.size(), 31u);

  std::set<std::string> reached;
  for (int32_t score = 0; score <= 999950; score += 50) {
    const Words words = Speak(score);
    ASSERT_FALSE(words.empty());
    ASSERT_EQ(words.back(), "points.wav") << score;
    for (size_t i = 0; i < words.size(); ++i) {
      ASSERT_TRUE(allowed.count(words[i])) << score << ": " << words[i];
      ASSERT_EQ(words[i] == "points.wav", i + 1 == words.size()) << score;
    }
    ASSERT_EQ(std::count(words.begin(), words.end(), "0.wav"), score == 0 ? 1 : 0) << score;
    reached.insert(words.begin(), words.end());
  }
  EXPECT_EQ(reached, allowed);
}

TEST_F(SpeakScore, MakesTheProgramFolderTheCurrentDirectoryAndIgnoresStaleText) {
  platform.shell.ChangeDirectory("/tmp");
  speech.ScoreText = "999999";
  EXPECT_EQ(Speak(150), (Words{"1.wav", "hundred.wav", "50.wav", "points.wav"}));
  EXPECT_EQ(platform.shell.CurrentDirectory(), "/opt/scurrow");
  EXPECT_TRUE(speech.ScoreText.empty());  // every digit was consumed
}

TEST(SpeakScoreTiming, WordsFollowEachOtherAndAMissingOneGetsTheDefaultSound) {
  SoundFolder sounds;
  sounds.Remove("hundred.wav");
  VirtualPlatform platform(sounds.Path());
  modSpeakScore speech(platform.shell, platform.player);
  speech.ScoreValue = 150;
  speech.SpeakScore();

  const auto w = SoundFolder::kWordMs;
  const std::vector<LogEntry> expected = {{0, "speak 1.wav"},
                                          {w, "speak hundred.wav (default)"},
                                          {w + kDefaultSoundMs, "speak 50.wav"},
                                          {2 * w + kDefaultSoundMs, "speak points.wav"}};
  const auto spoken = platform.log.Texts({"speak"});
  ASSERT_EQ(spoken.size(), expected.size());
  std::vector<LogEntry> entries;
  for (const LogEntry& e : platform.log.Entries()) {
    if (e.what.starts_with("speak")) entries.push_back(e);
  }
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(entries[i].what, expected[i].what);
    EXPECT_EQ(entries[i].ms, expected[i].ms) << expected[i].what;
  }
  EXPECT_EQ(platform.clock.ms, 3 * w + kDefaultSoundMs);  // returns after the last word
}

}  // namespace
}  // namespace scurrow::testing
