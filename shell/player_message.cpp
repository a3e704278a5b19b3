#include "shell/player_message.h"

#include "shell/platform.h"

namespace scurrow {
namespace {

using platform::kAdvice;

// The file's name and, where the player knows it, its folder: "intro.wav" in the folder "/games".
std::string NameOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  // Appended piece by piece: GCC 12 warns wrongly of an overlap on a literal + string.
  std::string words = "\"";
  words.append(path, slash + 1).append("\"");
  if (kAdvice.namesFolders)
    words.append(" in the folder \"").append(path, 0, slash == 0 ? 1 : slash).append("\"");
  return words;
}

}  // namespace

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
