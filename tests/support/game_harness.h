#pragma once

#include <utility>

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

  frmMain form{*this, *this, *this};
};

}  // namespace scurrow::testing
