#include "shell/player_message.h"

namespace scurrow {
namespace {

// What a player can do about each trouble, in the terms of the system the game runs on.
struct Advice {
  const char* noDisplay;
  const char* noSoundDevice;
  const char* restore;  // a sound file missing or damaged
  const char* outOfMemory;
  const char* unexpected;
};

#if defined(__EMSCRIPTEN__)
#define SCURROW_OUT_OF_MEMORY \
  "the browser ran out of memory. Close some tabs, then reload the page."
constexpr Advice kAdvice = {
    "the browser could not give it a place to run. Reload the page; if that does not help, "
    "try another browser.",
    "the browser could not open a sound output, and the game is played by ear. Connect speakers "
    "or headphones, then reload the page.",
    "Reload the page; if that does not help, tell the owner of this site.", SCURROW_OUT_OF_MEMORY,
    "Reload the page to play again; if this keeps happening, tell the owner of this site."};
#else
#if defined(_WIN32)
#define SCURROW_REINSTALL "unpack the Scurrow zip file again"
#else
#define SCURROW_REINSTALL "install Scurrow again"
#endif
#define SCURROW_OUT_OF_MEMORY \
  "the computer ran out of memory. Close some programs, then start Scurrow again."
constexpr Advice kAdvice = {
    "its window could not be opened. Start Scurrow again from your desktop; if that does not "
    "help, restart the computer.",
    "no sound device could be opened, and the game is played by ear. Connect speakers or "
    "headphones, or close a program that may hold the sound card, then start Scurrow again.",
    "To put it right, " SCURROW_REINSTALL ".", SCURROW_OUT_OF_MEMORY,
    "Start Scurrow again; if this keeps happening, " SCURROW_REINSTALL "."};
#undef SCURROW_REINSTALL
#endif

// The file's name and, outside the browser, its folder: "intro.wav" in the folder "/games".
std::string NameOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  // Appended piece by piece: GCC 12 warns wrongly of an overlap on a literal + string.
  std::string words = "\"";
  words.append(path, slash + 1).append("\"");
#if !defined(__EMSCRIPTEN__)
  words.append(" in the folder \"").append(path, 0, slash == 0 ? 1 : slash).append("\"");
#endif
  return words;
}

}  // namespace

const char kOutOfMemoryMessage[] = "Scurrow has stopped: " SCURROW_OUT_OF_MEMORY;

std::string PlayerMessage(const RuntimeError& error, bool startedUp) {
  const std::string ended = startedUp ? "Scurrow has stopped" : "Scurrow cannot start";
  switch (error.Kind()) {
    case Trouble::kNoDisplay:
      return ended + ": " + kAdvice.noDisplay;
    case Trouble::kNoSoundDevice:
      return ended + ": " + kAdvice.noSoundDevice;
    case Trouble::kMissingFile:
      return ended + ": its sound file " + NameOf(error.File()) + " is missing. " + kAdvice.restore;
    case Trouble::kDamagedFile:
      return ended + ": its sound file " + NameOf(error.File()) + " is damaged. " + kAdvice.restore;
    case Trouble::kOutOfMemory:
      return ended + ": " + kAdvice.outOfMemory;
    case Trouble::kUnexpected:
      break;
  }
  return ended + " because something went wrong. " + kAdvice.unexpected;
}

}  // namespace scurrow
