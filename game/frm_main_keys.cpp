// Keys and moves: the arrow keys on the grid, the cell test, Y and N.

#include "game/frm_main.h"
#include "shell/checked_math.h"
#include "shell/runtime_error.h"

namespace scurrow {
namespace {

struct ArrowKey {
  int16_t keyCode;
  int16_t GameState::*field;
  int16_t edge;
  int16_t step;
};

// Tested in this order; the edge test is equality, not a range test.
constexpr ArrowKey kArrowKeys[] = {
    {frmMain::kKeyLeft, &GameState::Column, 1, -1},
    {frmMain::kKeyRight, &GameState::Column, 5, +1},
    {frmMain::kKeyUp, &GameState::Row, 1, -1},
    {frmMain::kKeyDown, &GameState::Row, 5, +1},
};

constexpr int32_t kPointsPerStar = 50;

}  // namespace

void frmMain::Form_KeyDown(int16_t& KeyCode, int16_t& Shift) {
  (void)Shift;  // Y and N mean the same with any modifier
  if (KeyCode == kKeyN && state_.Lives == 0) {
    shell_.UnloadWindow();
    return;
  }
  if (KeyCode == kKeyY && state_.Lives == 0) StartNewGame();

  if (state_.InputLocked) return;
  for (const ArrowKey& arrow : kArrowKeys) {
    if (KeyCode != arrow.keyCode) continue;
    int16_t& position = state_.*arrow.field;
    if (position == arrow.edge) {
      module1_.Bank().SoundAtEdge.PlayOnce();
      return;
    }
    position = CheckedAdd(position, arrow.step);
    CheckCell(state_.Column, state_.Row);
  }
}

void frmMain::StartNewGame() {
  SoundBank& bank = module1_.Bank();
  bank.SoundAgain.Stop();
  bank.SoundAgain.Rewind();
  state_.LevelAnnounced.fill(false);
  state_.Score = 0;
  state_.Lives = 1;
  bank.SoundBackground.PlayLooping();
  state_.InputLocked = false;
  PlaceStar();
}

void frmMain::CheckCell(int16_t Column, int16_t Row) {
  try {
    if (!state_.Board) {
      throw RuntimeError(ErrorNumber::kSubscriptOutOfRange,
                         "Subscript out of range: no star has been hidden yet");
    }
    if (state_.Board->Cell(Column, Row) == kStar) {
      module1_.Bank().SoundFound.PlayOnce();
      state_.Score = CheckedAdd(state_.Score, kPointsPerStar);
      PlaceStar();
    } else {
      module1_.Bank().SoundMove.PlayOnce();
    }
  } catch (const RuntimeError&) {
    // Any failure in the step, the next star included, is answered with the
    // edge cue; what changed before it stays changed.
    module1_.Bank().SoundAtEdge.PlayOnce();
  }
}

}  // namespace scurrow
