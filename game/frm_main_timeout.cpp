// Time-out of a star and the end of the game.
#include "game/frm_main.h"

namespace scurrow {

void frmMain::Timer1_Timer() {
  // The first tick after every arming only clears the flag, so a star is
  // lost at the second tick.
  if (state_.SkipNextTick) {
    state_.SkipNextTick = false;
    return;
  }
  SoundBank& bank = module1_.Bank();
  shell_.SetTimerEnabled(false);
  bank.SoundBackground.Stop();
  bank.SoundBackground.Rewind();
  state_.InputLocked = true;
  bank.SoundNoFind.PlayOnce();
  while (bank.SoundNoFind.IsPlaying()) shell_.PumpEvents();
  state_.Lives = 0;
  GameOver();
}

void frmMain::GameOver() {
  SoundBank& bank = module1_.Bank();
  bank.SoundBackground.Stop();
  bank.SoundBackground.Rewind();
  speech_.ScoreValue = state_.Score;
  speech_.SpeakScore();
  bank.SoundAgain.PlayOnce();
}

}  // namespace scurrow
