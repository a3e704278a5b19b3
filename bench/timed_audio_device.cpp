#include "bench/timed_audio_device.h"

#include <filesystem>

#include "bench/bench_report.h"
#include "bench/mixer_probe.h"

namespace scurrow::bench {

std::string TimedAudioDevice::NameOf(BufferId buffer) const {
  if (buffer < 0 || static_cast<size_t>(buffer) >= names_.size()) return {};
  return names_[static_cast<size_t>(buffer)];
}

void TimedAudioDevice::Report(const std::string& call, const std::string& file, int64_t start) {
  if (onCall) onCall(call, file, start, NowNs());
}

void TimedAudioDevice::CreateRoot() {
  const int64_t start = NowNs();
  real_.CreateRoot();
  Report("create root", "", start);
}

void TimedAudioDevice::OpenDevice() {
  const int64_t start = NowNs();
  real_.OpenDevice();
  deviceId_ = OpenAudioDeviceId();
  Report("open device", "", start);
  if (afterOpen) afterOpen();
}

void TimedAudioDevice::BindToWindow(WindowHandle window) {
  const int64_t start = NowNs();
  real_.BindToWindow(window);
  Report("bind to window", "", start);
}

BufferId TimedAudioDevice::Load(const std::string& path) {
  const int64_t start = NowNs();
  const BufferId buffer = real_.Load(path);
  const std::string name = std::filesystem::path(path).filename().string();
  if (static_cast<size_t>(buffer) >= names_.size()) names_.resize(buffer + 1);
  names_[static_cast<size_t>(buffer)] = name;
  Report("load", name, start);
  return buffer;
}

void TimedAudioDevice::PlayOnce(BufferId buffer) {
  const int64_t start = NowNs();
  {
    AudioLock lock(deviceId_);
    real_.PlayOnce(buffer);
    if (afterPlayOnce) afterPlayOnce(NameOf(buffer), SdlAudioDevice::ChannelOf(buffer));
  }
  Report("play once", NameOf(buffer), start);
}

void TimedAudioDevice::PlayLooping(BufferId buffer) {
  const int64_t start = NowNs();
  real_.PlayLooping(buffer);
  Report("play looping", NameOf(buffer), start);
}

void TimedAudioDevice::Stop(BufferId buffer) {
  const int64_t start = NowNs();
  real_.Stop(buffer);
  Report("stop", NameOf(buffer), start);
}

void TimedAudioDevice::Rewind(BufferId buffer) {
  const int64_t start = NowNs();
  real_.Rewind(buffer);
  Report("rewind", NameOf(buffer), start);
}

bool TimedAudioDevice::IsPlaying(BufferId buffer) {
  if (onIsPlaying) onIsPlaying(NameOf(buffer));
  return real_.IsPlaying(buffer);
}

void TimedAudioDevice::Release(BufferId buffer) {
  const int64_t start = NowNs();
  real_.Release(buffer);
  Report("release", NameOf(buffer), start);
}

void TimedAudioDevice::ReleaseDevice() {
  if (beforeClose) beforeClose();
  const int64_t start = NowNs();
  real_.ReleaseDevice();
  deviceId_ = 0;
  Report("release device", "", start);
}

void TimedAudioDevice::ReleaseRoot() {
  const int64_t start = NowNs();
  real_.ReleaseRoot();
  Report("release root", "", start);
}

}  // namespace scurrow::bench
