// Preloaded into the real program (LD_PRELOAD) so that it opens SDL_mixer's
// device with SCURROW_BENCH_FRAMES frames per buffer instead of its own size:
// the unchanged program at another buffer size, for bench/servers. SDL's
// SDL_AUDIO_SAMPLES does not do this: it applies only when no size is asked for.
#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>

extern "C" int Mix_OpenAudio(int frequency, uint16_t format, int channels, int chunksize) {
  using Open = int (*)(int, uint16_t, int, int);
  static const auto open = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "Mix_OpenAudio"));
  const char* frames = std::getenv("SCURROW_BENCH_FRAMES");
  return open(frequency, format, channels, frames != nullptr ? std::atoi(frames) : chunksize);
}
