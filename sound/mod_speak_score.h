#pragma once

#include <cstdint>
#include <string>

#include "shell/shell.h"
#include "sound/file_player.h"

namespace scurrow {

// Speaks a score from recorded number words, one file after another, closed
// by "points.wav". Numbers from 0 to 999,999 are spoken in English word
// order; a longer number gets "points.wav" alone.
class modSpeakScore {
 public:
  modSpeakScore(Shell& shell, FilePlayer& player) : shell_(shell), player_(player) {}

  // The number to speak; the caller stores it before each SpeakScore.
  int32_t ScoreValue = 0;
  // The digits still to be spoken, most significant first; every routine
  // consumes from its left end.
  std::string ScoreText;

  // Makes the program folder the current directory (the words are found
  // there by bare name), speaks ScoreValue and returns when the last word has
  // finished.
  void SpeakScore();

 private:
  void SayDigit();
  void SayTens();
  void SayHundreds();
  void SayThousands();
  void SayTenThousands();
  void SayHundredThousands();

  char TakeFirst();
  void Play(const std::string& fileName) { player_.PlayAndWait(fileName); }

  Shell& shell_;
  FilePlayer& player_;
};

}  // namespace scurrow
