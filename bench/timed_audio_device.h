#pragma once

// The real SDL2_mixer device with hooks for the benchmarks: every call is
// forwarded unchanged, timed, and reported to whoever listens.
#include <SDL2/SDL.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sound/sdl_audio_device.h"

namespace scurrow::bench {

class TimedAudioDevice : public AudioDevice {
 public:
  explicit TimedAudioDevice(SdlAudioDevice& real) : real_(real) {}

  // After every forwarded call: its name ("load", "play once", ...), the file
  // it concerned (if any) and NowNs() at its start and end.
  std::function<void(const std::string& call, const std::string& file, int64_t start, int64_t end)>
      onCall;
  // Right after the device opened, and right before it closes.
  std::function<void()> afterOpen;
  std::function<void()> beforeClose;
  // Right after a play once started `file` on mixer channel `channel`, with
  // the audio device still locked, so that no callback has mixed it yet.
  std::function<void(const std::string& file, int channel)> afterPlayOnce;
  // Each time the game polls whether `file` is still playing.
  std::function<void(const std::string& file)> onIsPlaying;

  // The open mixer's audio device, once open.
  SDL_AudioDeviceID DeviceId() const { return deviceId_; }

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

 private:
  std::string NameOf(BufferId buffer) const;
  void Report(const std::string& call, const std::string& file, int64_t start);

  SdlAudioDevice& real_;
  SDL_AudioDeviceID deviceId_ = 0;
  std::vector<std::string> names_;
};

}  // namespace scurrow::bench
