#pragma once

#include <SDL2/SDL_mixer.h>

#include <memory>
#include <string>

namespace scurrow {

struct ChunkDeleter {
  void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
};
using ChunkPtr = std::unique_ptr<Mix_Chunk, ChunkDeleter>;

// A whole WAV file decoded into the open mixer's format, or why it could not be.
struct LoadedChunk {
  ChunkPtr chunk;
  std::string failure;   // empty when the chunk is there
  bool missing = false;  // the failure is that no file has that name
};

// SDL_mixer alone loses the file name and the system's reason, so those are checked here first.
LoadedChunk LoadChunk(const std::string& path);

// A short, soft two-tone beep in the open mixer's format, played where a
// file cannot be.
ChunkPtr MakeDefaultChunk();

}  // namespace scurrow
