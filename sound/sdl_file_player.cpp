#include "sound/sdl_file_player.h"

#include <SDL2/SDL.h>

#include "shell/runtime_error.h"
#include "sound/sdl_audio_device.h"

namespace scurrow {

void SdlFilePlayer::PlayAndWait(const std::string& fileName) {
  int frequency = 0;
  Uint16 format = 0;
  int channels = 0;
  if (Mix_QuerySpec(&frequency, &format, &channels) == 0) {
    throw RuntimeError(ErrorNumber::kObjectNotSet,
                       "Cannot play '" + fileName + "': the sound device is not open");
  }
  std::string reason;
  ChunkPtr chunk = LoadChunk(fileName, reason);
  Mix_Chunk* sound = chunk.get();
  if (sound == nullptr) {
    if (!defaultSound_) defaultSound_ = MakeDefaultChunk();
    sound = defaultSound_.get();
  }
  const int channel = SdlAudioDevice::kPlayerChannel;
  if (sound == nullptr || Mix_PlayChannel(channel, sound, 0) < 0) return;
  // A short sleep keeps the gap between words to a millisecond or two
  // without spinning a core.
  while (Mix_Playing(channel)) SDL_Delay(1);
}

}  // namespace scurrow
