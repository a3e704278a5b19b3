#pragma once

// Hooks into SDL2_mixer's audio callback through its public API: a post-mix
// function that counts the frames mixed and stamps every callback, and a
// channel effect that stamps the first callback mixing a channel's sound.
#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace scurrow::bench {

// Counts the frames of the output stream and stamps each audio callback.
// Install it after the mixer is open and uninstall it before it closes.
class MixerProbe {
 public:
  explicit MixerProbe(size_t capacity = 1 << 16);
  ~MixerProbe();
  MixerProbe(const MixerProbe&) = delete;
  MixerProbe& operator=(const MixerProbe&) = delete;

  void Install();
  void Uninstall();

  // Frames mixed by the callbacks that have finished. Read from inside a
  // channel effect, this is the stream position where the current callback's
  // buffer begins.
  uint64_t FramesMixed() const { return frames_.load(std::memory_order_acquire); }
  int BytesPerFrame() const { return bytesPerFrame_; }
  int SampleRate() const { return sampleRate_; }
  // Frames in the last callback's buffer.
  int BufferFrames() const { return bufferFrames_.load(); }
  // NowNs() at the end of every callback so far, up to the capacity.
  std::vector<int64_t> CallbackTimes() const;

 private:
  static void PostMix(void* self, Uint8* stream, int len);

  std::unique_ptr<std::atomic<int64_t>[]> times_;
  size_t capacity_;
  std::atomic<size_t> count_{0};
  std::atomic<uint64_t> frames_{0};
  std::atomic<int> bufferFrames_{0};
  int bytesPerFrame_ = 4;
  int sampleRate_ = 0;
  bool installed_ = false;
};

// What a channel effect saw of one play: the time of its first callback and,
// with a probe, the stream frames where the sound began and where it ended.
struct MixMark {
  std::atomic<int64_t> firstAt{0};
  std::atomic<uint64_t> firstFrame{0};
  std::atomic<uint64_t> endFrame{0};
  const MixerProbe* probe = nullptr;

  bool Mixed() const { return firstAt.load() != 0; }
};

// Registers an effect on `channel` that fills `mark` while the channel's
// current (or next) sound is mixed. SDL_mixer drops a channel's effects when
// its sound ends or is replaced, so one registration covers one play. Call it
// with the audio device locked right after the play, or before a play on a
// silent channel.
bool WatchChannel(int channel, MixMark& mark);

// The id of the one open audio device (the mixer's), or 0.
SDL_AudioDeviceID OpenAudioDeviceId();

// Holds the audio device's lock, so that no callback runs in between.
class AudioLock {
 public:
  explicit AudioLock(SDL_AudioDeviceID device) : device_(device) {
    if (device_ != 0) SDL_LockAudioDevice(device_);
  }
  ~AudioLock() {
    if (device_ != 0) SDL_UnlockAudioDevice(device_);
  }
  AudioLock(const AudioLock&) = delete;
  AudioLock& operator=(const AudioLock&) = delete;

 private:
  SDL_AudioDeviceID device_;
};

}  // namespace scurrow::bench
