#include "sound/mixer_chunk.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "sound/default_sound.h"

namespace scurrow {

ChunkPtr LoadChunk(const std::string& path, std::string& reason) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    reason = "is a directory";
    return nullptr;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    return nullptr;
  }
  SDL_RWops* stream = SDL_RWFromFP(file, SDL_TRUE);
  if (stream == nullptr) {
    std::fclose(file);
    reason = SDL_GetError();
    return nullptr;
  }
  ChunkPtr chunk(Mix_LoadWAV_RW(stream, 1));
  if (!chunk) {
    reason = Mix_GetError();
    return nullptr;
  }
  if (chunk->alen == 0) {
    reason = "the file holds no sound";
    return nullptr;
  }
  return chunk;
}

ChunkPtr MakeDefaultChunk() {
  const std::vector<uint8_t> wav = DefaultSoundWav();
  return ChunkPtr(Mix_LoadWAV_RW(SDL_RWFromConstMem(wav.data(), static_cast<int>(wav.size())), 1));
}

}  // namespace scurrow
