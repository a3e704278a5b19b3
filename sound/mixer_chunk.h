#pragma once

#include <SDL2/SDL_mixer.h>

#include <memory>
#include <string>

namespace scurrow {

struct ChunkDeleter {
  void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
};
using ChunkPtr = std::unique_ptr<Mix_Chunk, ChunkDeleter>;

// Decodes a whole WAV file into the open mixer's format. On failure returns
// nothing and puts the reason in `reason`: SDL_mixer alone loses the file
// name and the system's reason, so those are checked here first.
ChunkPtr LoadChunk(const std::string& path, std::string& reason);

// A short, soft two-tone beep in the open mixer's format, played where a
// file cannot be.
ChunkPtr MakeDefaultChunk();

}  // namespace scurrow
