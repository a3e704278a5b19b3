#include "sound/sdl_file_player.h"

#include <SDL2/SDL.h>

#include "shell/platform.h"
#include "shell/runtime_error.h"
#include "sound/sdl_audio_device.h"
#include "sound/sound_output.h"

namespace scurrow {

void SdlFilePlayer::PlayAndWait(const std::string& fileName) {
  int frequency = 0;
  Uint16 format = 0;
  int channels = 0;
  if (Mix_QuerySpec(&frequency, &format, &channels) == 0) {
    throw RuntimeError(ErrorNumber::kObjectNotSet,
                       "Cannot play '" + fileName + "': the sound device is not open");
  }
  const ChunkPtr chunk = LoadChunk(fileName).chunk;
  const int channel = SdlAudioDevice::kPlayerChannel;
  // A word that cannot be loaded or started gets the built-in sound in its place.
  if (!chunk || Mix_PlayChannel(channel, chunk.get(), 0) < 0) {
    if (!defaultSound_) defaultSound_ = MakeDefaultChunk();
    if (!defaultSound_ || Mix_PlayChannel(channel, defaultSound_.get(), 0) < 0) return;
  }
  platform::SoundStarted(fileName);
  // A short sleep keeps the gap between words to a millisecond or two
  // without spinning a core.
  while (Mix_Playing(channel)) SDL_Delay(1);
}

SoundOutput MakeSoundOutput() {
  return {std::make_unique<SdlAudioDevice>(), std::make_unique<SdlFilePlayer>()};
}

}  // namespace scurrow
