#pragma once

#include <string>

#include "shell/shell.h"

namespace scurrow {

// One loaded sound, as the device numbers it.
using BufferId = int;

// The mixing sound device that holds the game's effects. Every buffer sounds
// independently of the others. Failures throw RuntimeError. A released buffer
// is never used again: SoundBuffer, the game's reference, checks that.
class AudioDevice {
 public:
  virtual ~AudioDevice() = default;

  // The sound system as a whole, then the default output device on it.
  virtual void CreateRoot() = 0;
  virtual void OpenDevice() = 0;
  // Ties the device to the main window, whose handle must be valid.
  virtual void BindToWindow(WindowHandle window) = 0;
  // Loads a whole WAV file; the error names the path and the reason.
  virtual BufferId Load(const std::string& path) = 0;

  // Sounds to its end from the beginning, then stops. A request while the
  // sound is still sounding starts it again from the beginning.
  virtual void PlayOnce(BufferId buffer) = 0;
  // Repeats until stopped; a buffer already looping keeps going undisturbed.
  virtual void PlayLooping(BufferId buffer) = 0;
  virtual void Stop(BufferId buffer) = 0;
  // The next play starts at the beginning.
  virtual void Rewind(BufferId buffer) = 0;
  // True while a sound played once still sounds; never for a looping one.
  virtual bool IsPlaying(BufferId buffer) = 0;
  virtual void Release(BufferId buffer) = 0;

  virtual void ReleaseDevice() = 0;
  virtual void ReleaseRoot() = 0;
};

}  // namespace scurrow
