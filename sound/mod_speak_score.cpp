#include "sound/mod_speak_score.h"

namespace scurrow {

void modSpeakScore::SpeakScore() {
  shell_.ChangeDirectory(shell_.ProgramFolder());
  ScoreText = std::to_string(ScoreValue);
  if (ScoreText == "0") {
    Play("0.wav");
    Play("points.wav");
    return;
  }
  switch (ScoreText.size()) {
    case 1:
      SayDigit();
      break;
    case 2:
      SayTens();
      break;
    case 3:
      SayHundreds();
      break;
    case 4:
      SayThousands();
      break;
    case 5:
      SayTenThousands();
      break;
    case 6:
      SayHundredThousands();
      break;
    default:
      break;  // seven digits or more: no words
  }
  Play("points.wav");
}

char modSpeakScore::TakeFirst() {
  const char first = ScoreText.front();
  ScoreText.erase(0, 1);
  return first;
}

void modSpeakScore::SayDigit() {
  const char digit = TakeFirst();
  if (digit != '0') Play(std::string(1, digit) + ".wav");
}

void modSpeakScore::SayTens() {
  const char tens = TakeFirst();
  if (tens == '1') {
    const char ones = TakeFirst();
    Play(std::string{tens, ones} + ".wav");
    return;
  }
  if (tens != '0') Play(std::string{tens, '0'} + ".wav");
  SayDigit();
}

void modSpeakScore::SayHundreds() {
  if (ScoreText.front() == '0') {
    TakeFirst();
  } else {
    SayDigit();
    Play("hundred.wav");
  }
  SayTens();
}

void modSpeakScore::SayThousands() {
  if (ScoreText.front() == '0') {
    TakeFirst();
  } else {
    SayDigit();
    Play("thousand.wav");
  }
  SayHundreds();
}

void modSpeakScore::SayTenThousands() {
  if (ScoreText.starts_with("00")) {
    ScoreText.erase(0, 2);
  } else {
    SayTens();
    Play("thousand.wav");
  }
  SayHundreds();
}

void modSpeakScore::SayHundredThousands() {
  SayHundreds();
  Play("thousand.wav");
  SayHundreds();
}

}  // namespace scurrow
