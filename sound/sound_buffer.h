#pragma once

#include <optional>
#include <string>

#include "sound/audio_device.h"

namespace scurrow {

// A reference to one buffer of the device. Once released it is empty, and
// any use of it is the "object not set" error rather than a stale access.
class SoundBuffer {
 public:
  explicit SoundBuffer(std::string fileName) : fileName_(std::move(fileName)) {}

  const std::string& FileName() const { return fileName_; }

  void Load(AudioDevice& device, const std::string& path);
  void PlayOnce();
  void PlayLooping();
  void Stop();
  void Rewind();
  bool IsPlaying();
  // Drops the buffer for good; releasing an empty reference does nothing.
  void Release();

 private:
  BufferId Id() const;

  std::string fileName_;
  AudioDevice* device_ = nullptr;
  std::optional<BufferId> id_;
};

}  // namespace scurrow
