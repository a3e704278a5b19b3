#pragma once

#include <string>
#include <vector>

#include "sound/audio_device.h"
#include "sound/file_player.h"

namespace scurrow {

// The audio device in the browser, on Web Audio: the page decodes every sound into an AudioBuffer
// before the start (web/page.js), and each play is an AudioBufferSourceNode of its own. The
// browser's audio thread mixes them, so a main thread that is late can neither break the sound
// up nor delay a cue beyond the next render quantum.
class WebAudioDevice : public AudioDevice {
 public:
  ~WebAudioDevice() override;

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
  bool deviceOpen_ = false;
  std::vector<std::string> paths_;  // of each buffer, for the page's words
};

// The blocking file player on the same decoded sounds: it plays one and waits, giving the browser
// its turns, until the audio clock has passed the sound's end.
class WebFilePlayer : public FilePlayer {
 public:
  void PlayAndWait(const std::string& fileName) override;
};

}  // namespace scurrow
