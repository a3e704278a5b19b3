// libFuzzer target: any bytes, written to a file, go through the game's own sound loader (our
// checks of the file, then SDL_mixer's decoding into the mixer's format) as the game calls it.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "shell/runtime_error.h"
#include "sound/sdl_audio_device.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The mixer opens once, at the game's format, on SDL's dummy audio driver.
  static const std::string path = "fuzz-input-" + std::to_string(getpid()) + ".wav";
  static scurrow::SdlAudioDevice* device = [] {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    auto* opened = new scurrow::SdlAudioDevice();
    opened->CreateRoot();
    opened->OpenDevice();
    std::atexit([] { std::remove(path.c_str()); });
    return opened;
  }();
  static int loaded = 0;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
    std::perror(path.c_str());
    std::abort();
  }
  try {
    device->Release(device->Load(path));
  } catch (const scurrow::RuntimeError&) {
    return 0;  // a file the game refuses: its report is the expected outcome
  }
  // Each buffer keeps a mixer channel of its own: start afresh now and then.
  if (++loaded % 256 == 0) {
    device->ReleaseDevice();
    device->OpenDevice();
  }
  return 0;
}
