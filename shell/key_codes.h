#pragma once

#include <SDL2/SDL_keycode.h>

#include <cstdint>

namespace scurrow {

// The Windows virtual-key code of an SDL key, or 0 for a key that has none.
// Letters give the code of the capital letter whatever Shift or Caps Lock say.
int16_t VirtualKeyCode(SDL_Keycode key);

// The shift state of a key-down: 1 Shift, 2 Ctrl, 4 Alt.
int16_t ShiftState(uint16_t modifiers);

}  // namespace scurrow
