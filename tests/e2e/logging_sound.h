#pragma once

#include <map>
#include <string>

#include "sound/audio_device.h"
#include "sound/file_player.h"
#include "tests/e2e/event_file.h"

namespace scurrow::e2e {

// Passes every operation on to the real device and writes it to the event
// file as "<operation> <file name>", in the words of the virtual device's
// log. The playing state is polled in tight loops, so only a change of its
// answer is written ("playing X" or "not playing X"). A failure is written
// as "failed <operation>: <reason>" and passed on.
class LoggingAudioDevice : public AudioDevice {
 public:
  LoggingAudioDevice(AudioDevice& inner, EventFile& events) : inner_(inner), events_(events) {}

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
  // Runs `call` on the inner device and writes `what` once it has worked.
  template <typename Call>
  auto Logged(const std::string& what, Call call);
  std::string NameOf(BufferId buffer) const;

  AudioDevice& inner_;
  EventFile& events_;
  std::map<BufferId, std::string> names_;
  std::map<BufferId, bool> lastPlaying_;
};

// Writes "speak <file name>" before a file plays and "spoken <file name>"
// once the real player has returned.
class LoggingFilePlayer : public FilePlayer {
 public:
  LoggingFilePlayer(FilePlayer& inner, EventFile& events) : inner_(inner), events_(events) {}
  void PlayAndWait(const std::string& fileName) override;

 private:
  FilePlayer& inner_;
  EventFile& events_;
};

}  // namespace scurrow::e2e
