#include "sound/sdl_audio_device.h"

#include <SDL2/SDL.h>

#include "shell/platform.h"
#include "shell/runtime_error.h"

namespace scurrow {
namespace {

[[noreturn]] void ThrowDeviceError(const std::string& what, const char* reason,
                                   Trouble trouble = Trouble::kUnexpected) {
  throw RuntimeError(ErrorNumber::kDeviceUnavailable, what + ": " + reason, trouble);
}

void AllocateChannels(int channels) {
  if (Mix_AllocateChannels(channels) < channels) {
    ThrowDeviceError("Cannot allocate mixer channels", Mix_GetError());
  }
}

}  // namespace

SdlAudioDevice::~SdlAudioDevice() {
  ReleaseDevice();
  ReleaseRoot();
}

void SdlAudioDevice::CreateRoot() {
  // A damaged file must fail to load rather than play shortened or garbled.
  SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "strict");
  platform::ChooseSoundDriver();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    ThrowDeviceError("Cannot start the sound system", SDL_GetError(), Trouble::kNoSoundDevice);
  }
  rootCreated_ = true;
}

void SdlAudioDevice::OpenDevice() {
  int opened = 0;
  {
    platform::QuietStandardError quiet;
    platform::AskServerForBuffer();
    opened = Mix_OpenAudio(kSampleRate, AUDIO_S16SYS, 2, bufferFrames_);
  }
  if (opened != 0)
    ThrowDeviceError("Cannot open the sound device", Mix_GetError(), Trouble::kNoSoundDevice);
  deviceOpen_ = true;
}

void SdlAudioDevice::BindToWindow(WindowHandle window) {
  // SDL's output needs no window; a valid handle is still required so that a
  // caller without a window is caught.
  if (window == 0) {
    throw RuntimeError(ErrorNumber::kInvalidCall, "Cannot bind the sound device: no window");
  }
}

BufferId SdlAudioDevice::Load(const std::string& path) {
  if (!deviceOpen_) {
    throw RuntimeError(ErrorNumber::kObjectNotSet, "Cannot load '" + path + "': no sound device");
  }
  LoadedChunk loaded = LoadChunk(path);
  if (!loaded.chunk) {
    throw RuntimeError(ErrorNumber::kFileNotFound,
                       "Cannot load sound file '" + path + "': " + loaded.failure,
                       loaded.missing ? Trouble::kMissingFile : Trouble::kDamagedFile, path);
  }
  slots_.push_back(Slot{std::move(loaded.chunk), path});
  const BufferId buffer = static_cast<BufferId>(slots_.size() - 1);
  AllocateChannels(ChannelOf(buffer) + 1);
  return buffer;
}

void SdlAudioDevice::Play(BufferId buffer, bool looping) {
  Slot& slot = slots_.at(buffer);
  slot.looping = looping;
  if (Mix_PlayChannel(ChannelOf(buffer), slot.chunk.get(), looping ? -1 : 0) < 0) {
    ThrowDeviceError("Cannot play a sound", Mix_GetError());
  }
  platform::SoundStarted(slot.path);
}

void SdlAudioDevice::PlayOnce(BufferId buffer) { Play(buffer, false); }

void SdlAudioDevice::PlayLooping(BufferId buffer) {
  if (slots_.at(buffer).looping && Mix_Playing(ChannelOf(buffer))) return;
  Play(buffer, true);
}

void SdlAudioDevice::Stop(BufferId buffer) {
  slots_.at(buffer).looping = false;
  Mix_HaltChannel(ChannelOf(buffer));
}

// A halted channel always starts its next play at the beginning.
void SdlAudioDevice::Rewind(BufferId) {}

// Only a sound played once counts as playing: a looping one never ends by itself.
bool SdlAudioDevice::IsPlaying(BufferId buffer) {
  return !slots_.at(buffer).looping && Mix_Playing(ChannelOf(buffer)) != 0;
}

void SdlAudioDevice::Release(BufferId buffer) {
  Mix_HaltChannel(ChannelOf(buffer));
  slots_.at(buffer).chunk.reset();
}

void SdlAudioDevice::ReleaseDevice() {
  if (!deviceOpen_) return;
  Mix_CloseAudio();  // halts every channel first, so no chunk is freed while it plays
  slots_.clear();
  deviceOpen_ = false;
}

void SdlAudioDevice::ReleaseRoot() {
  if (!rootCreated_) return;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  rootCreated_ = false;
}

}  // namespace scurrow
