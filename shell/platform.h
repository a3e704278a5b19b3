#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

// What differs between the systems the game runs on. Each system has one file that defines all
// of it: platform_posix.cpp (Linux and other POSIX desktops), platform_windows.cpp and
// platform_web.cpp (the browser).
namespace scurrow::platform {

// Sends standard error to the null device for its lifetime. System libraries print their own
// noise there when a display or a sound card is missing (Wayland's client library, ALSA); SDL
// keeps the reason for our one-line report in SDL_GetError.
class QuietStandardError {
 public:
  QuietStandardError();
  ~QuietStandardError();
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;

 private:
  int saved_ = -1;
};

// Opens a file for reading in binary mode, whatever characters its path holds. Returns nullptr
// and sets errno when it cannot.
std::FILE* OpenForReading(const std::filesystem::path& path);

// Shows the player `message` in a dialog titled "Scurrow error" that waits until it is closed.
// Where no dialog can be shown (no display), it returns at once. It never throws.
void ShowErrorDialog(const char* message) noexcept;

// What a player can do about each kind of failure, in the terms of the system: the end of a
// sentence that begins "Scurrow cannot start: " or "Scurrow has stopped: ".
struct Advice {
  const char* noDisplay;
  const char* noSoundDevice;
  const char* restore;  // a sound file missing or damaged: a sentence of its own
  const char* outOfMemory;
  const char* unexpected;  // a sentence of its own
  bool namesFolders;       // whether the player is told the folder of a file
};
extern const Advice kAdvice;
// "Scurrow has stopped: " and kAdvice.outOfMemory, written out: it needs no memory to be shown.
extern const char kOutOfMemoryMessage[];

// The desktops only, where SDL2_mixer plays the sound (the browser mixes its own):
// the mixer's buffer, in frames at 44.1 kHz: the period in which a cue can start, chosen by
// measurement on each system (bench/RESULTS.md).
extern const int kMixerFrames;
// Called just before the sound device opens: asks the desktop's sound server for a buffer that
// holds under load far better than SDL's own (bench/README.md). A value the player set stays.
void AskServerForBuffer();
// Called just before SDL's sound starts: the driver of the desktop's sound server that serves it
// best (bench/README.md). A driver the player named in SDL_AUDIODRIVER stays.
void ChooseSoundDriver();

// Called as each sound file starts to play, by its path: the browser's page says in words what the
// sound says (the time-out, the score, the prompt, the next game). Elsewhere it does nothing.
// The page rebuilds the spoken score's words from the files' names (web/page.js): renaming a
// number-word file breaks the words that braille readers get.
void SoundStarted(const std::string& path);

// Called on every pass of the event pump: in the browser, the page's events and timers run only
// while the program gives it a turn.
void YieldToSystem();

}  // namespace scurrow::platform
