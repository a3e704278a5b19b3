// The spoken score: which number words play, and in which order.
#include <gtest/gtest.h>

#include "sound/mod_speak_score.h"
#include "tests/support/virtual_platform.h"

namespace scurrow::testing {
namespace {

// The words spoken for `value`, without ".wav", one after another.
std::vector<std::string> Spoken(int32_t value) {
  VirtualPlatform platform;
  modSpeakScore speech(platform, platform);
  speech.ScoreText = "999999";  // what an earlier score left has no effect
  speech.ScoreValue = value;
  speech.SpeakScore();
  std::vector<std::string> words;
  for (const auto& line : platform.Log(0, "say ")) words.push_back(line.substr(4));
  return words;
}

TEST(Speech, SpeaksNumbersInEnglishWordOrderClosedByPoints) {
  const std::pair<int32_t, std::vector<std::string>> cases[] = {
      {0, {"0", "points"}},
      {7, {"7", "points"}},
      {50, {"50", "points"}},
      {57, {"50", "7", "points"}},
      {100, {"1", "hundred", "points"}},
      {150, {"1", "hundred", "50", "points"}},
      {1050, {"1", "thousand", "50", "points"}},
      {1100, {"1", "thousand", "1", "hundred", "points"}},
      {2500, {"2", "thousand", "5", "hundred", "points"}},
      {10050, {"10", "thousand", "50", "points"}},
      {12050, {"12", "thousand", "50", "points"}},
      {15000, {"15", "thousand", "points"}},
      {21350, {"20", "1", "thousand", "3", "hundred", "50", "points"}},
      {100050, {"1", "hundred", "thousand", "50", "points"}},
      {115000, {"1", "hundred", "15", "thousand", "points"}},
      {999950, {"9", "hundred", "90", "9", "thousand", "9", "hundred", "50", "points"}},
      {1000000, {"points"}}};  // seven digits: no number words
  for (const auto& [value, words] : cases) EXPECT_EQ(Spoken(value), words) << value;
}

}  // namespace
}  // namespace scurrow::testing
