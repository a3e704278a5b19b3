#pragma once

#include <string>
#include <vector>

#include "game/frm_main.h"
#include "tests/support/sound_folder.h"
#include "tests/support/virtual_platform.h"

namespace scurrow::testing {

// frmMain on the virtual platform, with a folder of sounds of known lengths.
struct GameHarness {
  explicit GameHarness(uint64_t seed = 1) : platform(sounds.Path(), seed) {}

  Outcome Start() { return platform.shell.Start(form); }
  Outcome RunUntil(int64_t ms) { return platform.shell.RunUntil(ms); }
  void Key(int64_t at, int16_t code) { platform.shell.KeyDown(at, code); }

  GameState& State() { return form.State(); }
  EventLog& Log() { return platform.log; }
  int64_t Now() const { return platform.clock.ms; }
  std::string SoundPath(const std::string& name) const { return sounds.Path() + "/" + name; }

  // Where the star is, as {column, row}; {0, 0} when there is none.
  std::pair<int16_t, int16_t> Star() {
    if (!State().Board) return {0, 0};
    for (int16_t c = 0; c <= 5; ++c) {
      for (int16_t r = 0; r <= 5; ++r) {
        if (State().Board->Cell(c, r) == "*") return {c, r};
      }
    }
    return {0, 0};
  }

  // Puts the star on (column, row) of a fresh board and the player on `at`.
  void Arrange(std::pair<int16_t, int16_t> star, std::pair<int16_t, int16_t> at) {
    State().Board.emplace();
    State().Board->Cell(star.first, star.second) = "*";
    State().Column = at.first;
    State().Row = at.second;
  }

  // Presses a key now, straight into the handler, and returns what it logged.
  std::vector<std::string> Press(int16_t code) {
    Log().Clear();
    int16_t keyCode = code;
    int16_t shift = 0;
    form.Form_KeyDown(keyCode, shift);
    return Log().Texts();
  }

  // Walks to the star with a key press every `stepMs` from now, stepping off
  // and back on when the star lies under the player, and runs until the last.
  void WalkToStar(int64_t stepMs = 20) {
    const auto [starColumn, starRow] = Star();
    int16_t column = State().Column;
    int16_t row = State().Row;
    std::vector<int16_t> keys;
    if (column == starColumn && row == starRow) {
      keys = column > 1 ? std::vector<int16_t>{frmMain::kKeyLeft, frmMain::kKeyRight}
                        : std::vector<int16_t>{frmMain::kKeyRight, frmMain::kKeyLeft};
    }
    for (; column < starColumn; ++column) keys.push_back(frmMain::kKeyRight);
    for (; column > starColumn; --column) keys.push_back(frmMain::kKeyLeft);
    for (; row < starRow; ++row) keys.push_back(frmMain::kKeyDown);
    for (; row > starRow; --row) keys.push_back(frmMain::kKeyUp);
    int64_t at = Now();
    for (int16_t key : keys) Key(at += stepMs, key);
    RunUntil(at);
  }

  SoundFolder sounds;
  VirtualPlatform platform;
  frmMain form{platform.shell, platform.audio, platform.player};
};

}  // namespace scurrow::testing
