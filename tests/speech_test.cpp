// The spoken score: which number words play, and in which order.
#include <gtest/gtest.h>

#include <sstream>

#include "sound/mod_speak_score.h"
#include "tests/support/virtual_platform.h"

namespace scurrow::testing {
namespace {

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
