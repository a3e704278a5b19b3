#pragma once

#include <cstdint>

#include "game/game_state.h"
#include "shell/shell.h"
#include "sound/audio_device.h"
#include "sound/file_player.h"
#include "sound/mod_speak_score.h"
#include "sound/module1.h"

namespace scurrow {

// The main window: it holds the game's state and runs every rule of the game
// inside the four events that the shell raises on it.
class frmMain : public FormEvents {
 public:
  // Virtual-key codes of the keys the game acts on.
  static constexpr int16_t kKeyLeft = 37;
  static constexpr int16_t kKeyUp = 38;
  static constexpr int16_t kKeyRight = 39;
  static constexpr int16_t kKeyDown = 40;
  static constexpr int16_t kKeyN = 78;
  static constexpr int16_t kKeyY = 89;

  frmMain(Shell& shell, AudioDevice& device, FilePlayer& player)
      : shell_(shell), module1_(shell, device), speech_(shell, player) {}

  void Form_Load() override;
  void Form_KeyDown(int16_t& KeyCode, int16_t& Shift) override;
  void Form_Unload(int16_t& Cancel) override;
  void Timer1_Timer() override;

  // Waits about `seconds` (counted from the nearest whole second of the
  // clock), running the event pump.
  void Pause(double& seconds);
  // Hides a new star on a fresh board and arms the star timer.
  void PlaceStar();
  // Chooses the timer interval from the score, announces a faster level once
  // per game, and arms the star timer.
  void SetPace();
  // Answers a step onto (Column, Row) with a cue, scoring a found star.
  void CheckCell(int16_t Column, int16_t Row);
  // Speaks the final score and asks whether to play again.
  void GameOver();

  GameState& State() { return state_; }

 private:
  void StartNewGame();
  // Reseeds, draws and scales to a row or column from 1 to 5.
  int16_t RandomCell();

  Shell& shell_;
  Module1 module1_;
  modSpeakScore speech_;
  GameState state_;
};

}  // namespace scurrow
