#pragma once

#include <vector>

#include "shell/platform.h"
#include "sound/audio_device.h"
#include "sound/mixer_chunk.h"

namespace scurrow {

// The audio device on SDL2_mixer: one mixer channel per buffer so that every
// buffer sounds on its own, and a small mixer buffer so that a cue starts
// within about one buffer period of its request.
class SdlAudioDevice : public AudioDevice {
 public:
  static constexpr int kSampleRate = 44100;
  // Mixer channel of the blocking file player; buffers use the ones above it.
  static constexpr int kPlayerChannel = 0;

  explicit SdlAudioDevice(int bufferFrames = platform::kMixerFrames)
      : bufferFrames_(bufferFrames) {}
  ~SdlAudioDevice() override;
  SdlAudioDevice(const SdlAudioDevice&) = delete;
  SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;

  void CreateRoot() override;
  void OpenDevice() override;
  void BindToWindow(WindowHandle window) override;
  BufferId Load(const std::string& path) override;
  void PlayOnce(BufferId buffer) override;
  void PlayLooping(BufferId buffer) override;
  void Stop(BufferId buffer) override;
  void Rewind(BufferId buffer) override;
  bool IsPlaying(BufferId buffer) override;
  void Release(BufferId buffer) override;
  void ReleaseDevice() override;
  void ReleaseRoot() override;

  // The mixer channel that sounds `buffer`.
  static int ChannelOf(BufferId buffer) { return buffer + 1; }

 private:
  struct Slot {
    ChunkPtr chunk;
    std::string path;
    bool looping = false;
  };
  void Play(BufferId buffer, bool looping);

  int bufferFrames_;
  bool rootCreated_ = false;
  bool deviceOpen_ = false;
  std::vector<Slot> slots_;
};

}  // namespace scurrow
