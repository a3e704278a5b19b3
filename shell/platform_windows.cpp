// Windows.
#include <SDL2/SDL.h>
#include <fcntl.h>
#include <io.h>

#include "shell/desktop_words.h"
#include "shell/platform.h"

namespace scurrow::platform {

// The C runtime's descriptors: a program without a console may have no standard error at all,
// and then there is nothing to silence.
QuietStandardError::QuietStandardError() {
  std::fflush(stderr);
  saved_ = _dup(_fileno(stderr));
  const int null = _open("NUL", _O_WRONLY | _O_NOINHERIT);
  if (saved_ >= 0 && null >= 0) _dup2(null, _fileno(stderr));
  if (null >= 0) _close(null);
}

QuietStandardError::~QuietStandardError() {
  if (saved_ < 0) return;
  std::fflush(stderr);
  _dup2(saved_, _fileno(stderr));
  _close(saved_);
}

// The narrow fopen takes ANSI names on Windows; the wide one takes them all.
std::FILE* OpenForReading(const std::filesystem::path& path) {
  return _wfopen(path.c_str(), L"rb");
}

// The system's own message box, which needs no window of the game's and which screen readers
// read.
void ShowErrorDialog(const char* message) noexcept {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Scurrow error", message, nullptr);
}

const Advice kAdvice = SCURROW_DESKTOP_ADVICE("unpack the Scurrow zip file again");
const char kOutOfMemoryMessage[] = "Scurrow has stopped: " SCURROW_DESKTOP_OUT_OF_MEMORY;

// SDL keeps WASAPI's own period and mixes it in these steps.
const int kMixerFrames = 256;

void AskServerForBuffer() {}

void ChooseSoundDriver() {}

void SoundStarted(const std::string&) {}

void YieldToSystem() {}

}  // namespace scurrow::platform
