#include "shell/key_codes.h"

#include <array>
#include <utility>

namespace scurrow {
namespace {

using KeyTable = std::array<std::pair<SDL_Keycode, int16_t>, 4>;
constexpr KeyTable kArrows = {{{SDLK_LEFT, 37}, {SDLK_UP, 38}, {SDLK_RIGHT, 39}, {SDLK_DOWN, 40}}};
// With NumLock off, the numpad's 4, 8, 6 and 2 are the arrows printed on them.
constexpr KeyTable kNumpadArrows = {
    {{SDLK_KP_4, 37}, {SDLK_KP_8, 38}, {SDLK_KP_6, 39}, {SDLK_KP_2, 40}}};

int16_t Find(const KeyTable& table, SDL_Keycode key) {
  for (const auto& [sym, code] : table) {
    if (sym == key) return code;
  }
  return 0;
}

}  // namespace

int16_t VirtualKeyCode(const SDL_Keysym& keysym) {
  const SDL_Keycode key = keysym.sym;
  if (const int16_t arrow = Find(kArrows, key)) return arrow;
  if (!(keysym.mod & KMOD_NUM)) {
    if (const int16_t arrow = Find(kNumpadArrows, key)) return arrow;
  }
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<int16_t>('A' + (key - SDLK_a));
  // A layout without Latin letters (Cyrillic, Greek, Hebrew...) gives the letter key's own
  // character; its code is the Latin letter at that place on the US layout.
  const SDL_Scancode place = keysym.scancode;
  if (key >= 0x80 && !(key & SDLK_SCANCODE_MASK) && place >= SDL_SCANCODE_A &&
      place <= SDL_SCANCODE_Z) {
    return static_cast<int16_t>('A' + (place - SDL_SCANCODE_A));
  }
  return 0;
}

int16_t ShiftState(uint16_t modifiers) {
  int16_t state = 0;
  if (modifiers & KMOD_SHIFT) state |= 1;
  if (modifiers & KMOD_CTRL) state |= 2;
  if (modifiers & KMOD_ALT) state |= 4;
  return state;
}

}  // namespace scurrow
