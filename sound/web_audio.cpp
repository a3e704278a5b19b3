#include "sound/web_audio.h"

#include <emscripten.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "shell/platform.h"
#include "shell/runtime_error.h"
#include "sound/default_sound.h"
#include "sound/sound_output.h"

namespace scurrow {
namespace {

// The page hands the program Module.audio: its AudioContext, the node every sound plays into,
// and the decoded sounds by file name, each with the part of its buffer that is the sound itself
// (begin and end, in seconds: the music's buffer holds some of its own loop before and after, so
// that an encoder's padding cannot reach the loop). Each buffer of the device is a slot here, with
// the source that sounds it now, and for a looping sound the place it was stopped at. The
// JavaScript keeps its own layout: clang-format would break it.
// clang-format off

EM_JS(int, AudioReady, (), {
  const audio = Module.audio;
  if (!audio || audio.context.state === 'closed') return 0;
  Module.slots = [];
  return 1;
});

EM_JS(int, LoadSound, (const char* name), {
  const sound = Module.audio.sounds.get(UTF8ToString(name));
  if (!sound) return -1;
  Module.slots.push({ sound, source: null, place: sound.begin });
  return Module.slots.length - 1;
});

// Starts the slot's sound: once from its beginning, or looping from where it was stopped. A play
// starts at the render quantum that currentTime shows, so its end is known on the audio clock.
EM_JS(void, StartSound, (int slot, int looping), {
  const s = Module.slots[slot], { context, output } = Module.audio, { buffer, begin, end } = s.sound;
  if (s.source) s.source.stop();
  const source = s.source = context.createBufferSource();
  source.buffer = buffer;
  source.connect(output);
  s.looping = !!looping;
  s.from = looping ? s.place : begin;
  s.startedAt = context.currentTime;
  s.until = s.startedAt + end - s.from;
  if (looping) Object.assign(source, { loop: true, loopStart: begin, loopEnd: end }).start(0, s.from);
  else source.start(0, begin, end - begin);
});

// Silent at once; a looping sound keeps its place in the loop for its next play.
EM_JS(void, StopSound, (int slot), {
  const s = Module.slots[slot];
  if (!s.source) return;
  s.source.stop();
  s.source = null;
  const { begin, end } = s.sound, played = Module.audio.context.currentTime - s.startedAt;
  if (s.looping) s.place = begin + (s.from - begin + played) % (end - begin);
});

EM_JS(void, RewindSound, (int slot), {
  const s = Module.slots[slot];
  s.place = s.sound.begin;
});

EM_JS(int, SoundPlaying, (int slot, int looping), {
  const s = Module.slots[slot];
  return !!s.source && s.looping === !!looping &&
      (looping || Module.audio.context.currentTime < s.until);
});

EM_JS(void, ReleaseSound, (int slot), {
  const s = Module.slots[slot];
  if (s.source) s.source.stop();
  Module.slots[slot] = { sound: null, source: null };
});

EM_JS(void, ReleaseSounds, (), {
  for (const s of Module.slots) if (s.source) s.source.stop();
  Module.slots = [];
});

EM_JS(int, HasSound, (const char* name), { return Module.audio.sounds.has(UTF8ToString(name)); });

// Plays the sound named, or where there is none the built-in beep (16-bit mono samples at
// 44.1 kHz), and returns once the audio clock has passed its end: the browser runs meanwhile, and
// nothing calls back into the program.
EM_ASYNC_JS(void, PlayToTheEnd, (const char* name, const int16_t* beep, int frames), {
  const { context, output, sounds } = Module.audio;
  let sound = sounds.get(UTF8ToString(name));
  if (!sound) {
    const buffer = context.createBuffer(1, frames, 44100);
    buffer.getChannelData(0).set(Array.from(HEAP16.subarray(beep >> 1, (beep >> 1) + frames), (v) => v / 32768));
    sound = { buffer, begin: 0, end: buffer.duration };
  }
  const source = context.createBufferSource();
  source.buffer = sound.buffer;
  source.connect(output);
  const until = context.currentTime + sound.end - sound.begin;
  source.start(0, sound.begin, sound.end - sound.begin);
  while (context.currentTime < until) {
    await new Promise((resume) => setTimeout(resume, Math.max(1, (until - context.currentTime) * 1000)));
  }
});

// clang-format on

std::string NameOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

}  // namespace

WebAudioDevice::~WebAudioDevice() { ReleaseDevice(); }

void WebAudioDevice::CreateRoot() {}

void WebAudioDevice::OpenDevice() {
  if (!AudioReady()) {
    throw RuntimeError(ErrorNumber::kDeviceUnavailable,
                       "Cannot open the sound device: the page has no running AudioContext",
                       Trouble::kNoSoundDevice);
  }
  deviceOpen_ = true;
}

void WebAudioDevice::BindToWindow(WindowHandle window) {
  // Web Audio needs no window; a valid handle is still required so that a caller without a
  // window is caught.
  if (window == 0) {
    throw RuntimeError(ErrorNumber::kInvalidCall, "Cannot bind the sound device: no window");
  }
}

BufferId WebAudioDevice::Load(const std::string& path) {
  if (!deviceOpen_) {
    throw RuntimeError(ErrorNumber::kObjectNotSet, "Cannot load '" + path + "': no sound device");
  }
  const BufferId buffer = LoadSound(NameOf(path).c_str());
  if (buffer < 0) {
    throw RuntimeError(ErrorNumber::kFileNotFound,
                       "Cannot load sound file '" + path + "': the page has no such sound",
                       Trouble::kMissingFile, path);
  }
  paths_.push_back(path);
  return buffer;
}

void WebAudioDevice::PlayOnce(BufferId buffer) {
  StartSound(buffer, false);
  platform::SoundStarted(paths_.at(buffer));
}

void WebAudioDevice::PlayLooping(BufferId buffer) {
  if (SoundPlaying(buffer, true)) return;
  StartSound(buffer, true);
  platform::SoundStarted(paths_.at(buffer));
}

void WebAudioDevice::Stop(BufferId buffer) { StopSound(buffer); }
void WebAudioDevice::Rewind(BufferId buffer) { RewindSound(buffer); }
bool WebAudioDevice::IsPlaying(BufferId buffer) { return SoundPlaying(buffer, false); }
void WebAudioDevice::Release(BufferId buffer) { ReleaseSound(buffer); }

void WebAudioDevice::ReleaseDevice() {
  if (!deviceOpen_) return;
  ReleaseSounds();
  paths_.clear();
  deviceOpen_ = false;
}

void WebAudioDevice::ReleaseRoot() {}

void WebFilePlayer::PlayAndWait(const std::string& fileName) {
  const std::string name = NameOf(fileName);
  std::vector<int16_t> beep;
  if (!HasSound(name.c_str())) {
    const std::vector<uint8_t> wav = DefaultSoundWav();
    constexpr size_t kHeader = 44;  // a plain RIFF file: its samples follow the header
    beep.resize((wav.size() - kHeader) / 2);
    std::memcpy(beep.data(), wav.data() + kHeader, beep.size() * 2);
  }
  platform::SoundStarted(fileName);
  PlayToTheEnd(name.c_str(), beep.data(), static_cast<int>(beep.size()));
}

SoundOutput MakeSoundOutput() {
  return {std::make_unique<WebAudioDevice>(), std::make_unique<WebFilePlayer>()};
}

}  // namespace scurrow
