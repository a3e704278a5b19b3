#pragma once

#include <utility>
#include <vector>

#include "game/frm_main.h"
#include "tests/support/virtual_platform.h"

namespace scurrow::testing {

using Cell = std::pair<int16_t, int16_t>;  // column, row

// frmMain on the virtual platform.
struct GameHarness : VirtualPlatform {
  void Start() { VirtualPlatform::Start(form); }
  GameState& State() { return form.State(); }

  // The star's cell; {0, 0} while there is none.
  Cell Star() {
    for (int16_t c = 0; State().Board && c <= 5; ++c)
      for (int16_t r = 0; r <= 5; ++r)
        if (State().Board->Cell(c, r) == kStar) return {c, r};
    return {0, 0};
  }

  // A fresh board with the star on `star`, the player on `at`, and the score.
  void Arrange(Cell star, Cell at, int32_t score) {
    State().Board.emplace();
    State().Board->Cell(star.first, star.second) = std::string(kStar);
    std::tie(State().Column, State().Row) = at;
    State().Score = score;
  }

  // Walks onto the star with the arrow keys, one every 20 ms from now, stepping off and back
  // when the star lies under the player; runs until the last step.
  void WalkToStar() {
    auto [column, row] = std::pair{State().Column, State().Row};
    const auto [starColumn, starRow] = Star();
    std::vector<int16_t> keys;
    if (Cell{column, row} == Star()) keys = {frmMain::kKeyUp, frmMain::kKeyDown};
    if (keys.size() && row == 1) keys = {frmMain::kKeyDown, frmMain::kKeyUp};
    for (; column < starColumn; ++column) keys.push_back(frmMain::kKeyRight);
    for (; column > starColumn; --column) keys.push_back(frmMain::kKeyLeft);
    for (; row < starRow; ++row) keys.push_back(frmMain::kKeyDown);
    for (; row > starRow; --row) keys.push_back(frmMain::kKeyUp);
    int64_t at = Now();
    for (int16_t key : keys) KeyDown(at += 20, key);
    RunUntil(at);
  }

  frmMain form{*this, *this, *this};
};

}  // namespace scurrow::testing
