#pragma once

#include <SDL2/SDL_keyboard.h>

#include <cstdint>

namespace scurrow {

// The Windows virtual-key code of a key, or 0 for a key that has none. A letter key gives the
// code of the capital letter it types, whatever Shift or Caps Lock say; on a layout without
// Latin letters, the letter at the same place on the US layout. With NumLock off the numpad
// gives the codes of the arrows and other keys printed on it.
int16_t VirtualKeyCode(const SDL_Keysym& key);

// The shift state of a key-down: 1 Shift, 2 Ctrl, 4 Alt.
int16_t ShiftState(uint16_t modifiers);

}  // namespace scurrow
