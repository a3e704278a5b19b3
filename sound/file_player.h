#pragma once

#include <string>

namespace scurrow {

// Plays one WAV file, named relative to the current directory, and returns
// only when it has finished. A file that cannot be played gets a short
// built-in sound in its place. It never runs the event pump.
class FilePlayer {
 public:
  virtual ~FilePlayer() = default;
  virtual void PlayAndWait(const std::string& fileName) = 0;
};

}  // namespace scurrow
