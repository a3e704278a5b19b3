#include <SDL2/SDL.h>

#include "shell/error_dialog.h"

namespace scurrow {

// The system's own message box, which needs no window of the game's and which screen readers
// read.
void ShowErrorDialog(const char* message) noexcept {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Scurrow error", message, nullptr);
}

}  // namespace scurrow
