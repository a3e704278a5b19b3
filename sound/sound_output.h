#pragma once

#include <memory>

#include "sound/audio_device.h"
#include "sound/file_player.h"

namespace scurrow {

// The sound of the system the program is built for: SDL2_mixer on the desktops
// (sdl_file_player.cpp), Web Audio in the browser (web_audio.cpp).
struct SoundOutput {
  std::unique_ptr<AudioDevice> device;
  std::unique_ptr<FilePlayer> player;
};
SoundOutput MakeSoundOutput();

}  // namespace scurrow
