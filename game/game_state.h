#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scurrow {

// The mark of the star's cell on the board.
inline constexpr std::string_view kStar = "*";

// The invisible grid: 6 x 6 cells indexed 0 to 5, first index the column,
// second the row. Play uses 1 to 5 only; index 0 exists and stays empty.
class BoardGrid {
 public:
  static constexpr int16_t kUpperBound = 5;

  // Throws the subscript error for an index outside 0 to 5.
  std::string& Cell(int16_t column, int16_t row);
  const std::string& Cell(int16_t column, int16_t row) const;

 private:
  std::array<std::array<std::string, kUpperBound + 1>, kUpperBound + 1> cells_;
};

// The game's state, held by the main window. Everything starts at zero,
// empty or false.
struct GameState {
  // Holds "*" in the star's cell; absent until the first star is hidden.
  std::optional<BoardGrid> Board;
  int16_t Column = 0;  // 1 (left) to 5 (right)
  int16_t Row = 0;     // 1 (top) to 5 (bottom)
  int16_t Lives = 0;   // 1 while a game runs
  int32_t Score = 0;   // 50 per star found
  bool SkipNextTick = false;
  bool InputLocked = false;
  // Pace levels 2 to 5: a level's cue plays only while its flag is false.
  std::array<bool, 4> LevelAnnounced{};
};

}  // namespace scurrow
