#pragma once

#include "sound/file_player.h"
#include "sound/mixer_chunk.h"

namespace scurrow {

// The blocking file player on SDL2_mixer: it plays on a channel of its own
// through the already open mixer and polls until the sound has been mixed.
class SdlFilePlayer : public FilePlayer {
 public:
  void PlayAndWait(const std::string& fileName) override;

 private:
  ChunkPtr defaultSound_;
};

}  // namespace scurrow
