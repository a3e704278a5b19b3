#include "game/game_state.h"

#include <utility>

#include "shell/runtime_error.h"

namespace scurrow {

const std::string& BoardGrid::Cell(int16_t column, int16_t row) const {
  if (column < 0 || column > kUpperBound || row < 0 || row > kUpperBound) {
    throw RuntimeError(ErrorNumber::kSubscriptOutOfRange, "Subscript out of range: Board(" +
                                                              std::to_string(column) + ", " +
                                                              std::to_string(row) + ")");
  }
  return cells_[column][row];
}

std::string& BoardGrid::Cell(int16_t column, int16_t row) {
  return const_cast<std::string&>(std::as_const(*this).Cell(column, row));
}

}  // namespace scurrow
