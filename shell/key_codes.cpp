#include "shell/key_codes.h"

#include <unordered_map>

namespace scurrow {
namespace {

const std::unordered_map<SDL_Keycode, int16_t>& NamedKeys() {
  static const std::unordered_map<SDL_Keycode, int16_t> keys = {
      {SDLK_BACKSPACE, 8},      {SDLK_TAB, 9},
      {SDLK_RETURN, 13},        {SDLK_KP_ENTER, 13},
      {SDLK_LSHIFT, 16},        {SDLK_RSHIFT, 16},
      {SDLK_LCTRL, 17},         {SDLK_RCTRL, 17},
      {SDLK_LALT, 18},          {SDLK_RALT, 18},
      {SDLK_PAUSE, 19},         {SDLK_CAPSLOCK, 20},
      {SDLK_ESCAPE, 27},        {SDLK_SPACE, 32},
      {SDLK_PAGEUP, 33},        {SDLK_PAGEDOWN, 34},
      {SDLK_END, 35},           {SDLK_HOME, 36},
      {SDLK_LEFT, 37},          {SDLK_UP, 38},
      {SDLK_RIGHT, 39},         {SDLK_DOWN, 40},
      {SDLK_PRINTSCREEN, 44},   {SDLK_INSERT, 45},
      {SDLK_DELETE, 46},        {SDLK_LGUI, 91},
      {SDLK_RGUI, 92},          {SDLK_APPLICATION, 93},
      {SDLK_KP_0, 96},          {SDLK_KP_1, 97},
      {SDLK_KP_2, 98},          {SDLK_KP_3, 99},
      {SDLK_KP_4, 100},         {SDLK_KP_5, 101},
      {SDLK_KP_6, 102},         {SDLK_KP_7, 103},
      {SDLK_KP_8, 104},         {SDLK_KP_9, 105},
      {SDLK_KP_MULTIPLY, 106},  {SDLK_KP_PLUS, 107},
      {SDLK_KP_MINUS, 109},     {SDLK_KP_PERIOD, 110},
      {SDLK_KP_DIVIDE, 111},    {SDLK_NUMLOCKCLEAR, 144},
      {SDLK_SCROLLLOCK, 145},   {SDLK_SEMICOLON, 186},
      {SDLK_EQUALS, 187},       {SDLK_COMMA, 188},
      {SDLK_MINUS, 189},        {SDLK_PERIOD, 190},
      {SDLK_SLASH, 191},        {SDLK_BACKQUOTE, 192},
      {SDLK_LEFTBRACKET, 219},  {SDLK_BACKSLASH, 220},
      {SDLK_RIGHTBRACKET, 221}, {SDLK_QUOTE, 222},
  };
  return keys;
}

// The numpad with NumLock off: the keys printed under the digits.
const std::unordered_map<SDL_Keycode, int16_t>& NumpadNavigation() {
  static const std::unordered_map<SDL_Keycode, int16_t> keys = {
      {SDLK_KP_0, 45}, {SDLK_KP_1, 35}, {SDLK_KP_2, 40},      {SDLK_KP_3, 34},
      {SDLK_KP_4, 37}, {SDLK_KP_5, 12}, {SDLK_KP_6, 39},      {SDLK_KP_7, 36},
      {SDLK_KP_8, 38}, {SDLK_KP_9, 33}, {SDLK_KP_PERIOD, 46},
  };
  return keys;
}

}  // namespace

int16_t VirtualKeyCode(const SDL_Keysym& keysym) {
  const SDL_Keycode key = keysym.sym;
  if (!(keysym.mod & KMOD_NUM)) {
    const auto navigation = NumpadNavigation().find(key);
    if (navigation != NumpadNavigation().end()) return navigation->second;
  }
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<int16_t>('A' + (key - SDLK_a));
  // A layout without Latin letters (Cyrillic, Greek, Hebrew...) gives the letter key's own
  // character; its code is the Latin letter at that place on the US layout.
  const SDL_Scancode place = keysym.scancode;
  if (key >= 0x80 && !(key & SDLK_SCANCODE_MASK) && place >= SDL_SCANCODE_A &&
      place <= SDL_SCANCODE_Z) {
    return static_cast<int16_t>('A' + (place - SDL_SCANCODE_A));
  }
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<int16_t>('0' + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<int16_t>(112 + (key - SDLK_F1));
  const auto found = NamedKeys().find(key);
  return found == NamedKeys().end() ? 0 : found->second;
}

int16_t ShiftState(uint16_t modifiers) {
  int16_t state = 0;
  if (modifiers & KMOD_SHIFT) state |= 1;
  if (modifiers & KMOD_CTRL) state |= 2;
  if (modifiers & KMOD_ALT) state |= 4;
  return state;
}

}  // namespace scurrow
