#include "bench/mixer_probe.h"

#include "bench/bench_report.h"

namespace scurrow::bench {
namespace {

void MarkEffect(int channel, void* stream, int len, void* data) {
  (void)channel;
  (void)stream;
  const int64_t now = NowNs();
  MixMark& mark = *static_cast<MixMark*>(data);
  const uint64_t start = mark.probe ? mark.probe->FramesMixed() : 0;
  if (mark.firstAt.load(std::memory_order_relaxed) == 0) {
    mark.firstFrame.store(start);
    mark.firstAt.store(now, std::memory_order_release);
  }
  if (mark.probe) {
    // A sound always starts at the beginning of a callback's buffer; `len` is
    // what it fills of this one.
    mark.endFrame.store(start + static_cast<uint64_t>(len / mark.probe->BytesPerFrame()));
  }
}

}  // namespace

MixerProbe::MixerProbe(size_t capacity)
    : times_(new std::atomic<int64_t>[capacity]), capacity_(capacity) {}

MixerProbe::~MixerProbe() { Uninstall(); }

void MixerProbe::Install() {
  int frequency = 0;
  Uint16 format = 0;
  int channels = 0;
  if (Mix_QuerySpec(&frequency, &format, &channels) != 0) {
    sampleRate_ = frequency;
    bytesPerFrame_ = static_cast<int>(SDL_AUDIO_BITSIZE(format) / 8) * channels;
  }
  Mix_SetPostMix(&MixerProbe::PostMix, this);
  installed_ = true;
}

void MixerProbe::Uninstall() {
  if (!installed_) return;
  Mix_SetPostMix(nullptr, nullptr);
  installed_ = false;
}

void MixerProbe::PostMix(void* self, Uint8* stream, int len) {
  (void)stream;
  MixerProbe& probe = *static_cast<MixerProbe*>(self);
  const size_t index = probe.count_.load(std::memory_order_relaxed);
  if (index < probe.capacity_) {
    probe.times_[index].store(NowNs(), std::memory_order_relaxed);
    probe.count_.store(index + 1, std::memory_order_release);
  }
  const int frames = len / probe.bytesPerFrame_;
  probe.bufferFrames_.store(frames);
  probe.frames_.fetch_add(static_cast<uint64_t>(frames), std::memory_order_release);
}

std::vector<int64_t> MixerProbe::CallbackTimes() const {
  const size_t count = count_.load(std::memory_order_acquire);
  std::vector<int64_t> times(count);
  for (size_t i = 0; i < count; ++i) times[i] = times_[i].load(std::memory_order_relaxed);
  return times;
}

bool WatchChannel(int channel, MixMark& mark) {
  return Mix_RegisterEffect(channel, &MarkEffect, nullptr, &mark) != 0;
}

SDL_AudioDeviceID OpenAudioDeviceId() {
  // SDL numbers open devices from 1 (2 and up for devices opened by id).
  for (SDL_AudioDeviceID id = 1; id < 64; ++id) {
    if (SDL_GetAudioDeviceStatus(id) != SDL_AUDIO_STOPPED) return id;
  }
  return 0;
}

}  // namespace scurrow::bench
