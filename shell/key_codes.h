#pragma once

#include <SDL2/SDL_keyboard.h>

#include <cstdint>

namespace scurrow {

// The Windows virtual-key code of a key that the game may read, or 0 for any other key: the
// arrows (with NumLock off, the numpad's arrows too) and the letters. A letter key gives the
// code of the capital letter it types, whatever Shift or Caps Lock say; on a layout without
// Latin letters, the letter at the same place on the US layout.
int16_t VirtualKeyCode(const SDL_Keysym& key);

// The shift state of a key-down: 1 Shift, 2 Ctrl, 4 Alt.
int16_t ShiftState(uint16_t modifiers);

}  // namespace scurrow
