#include "tests/support/virtual_platform.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "sound/default_sound.h"
#include "tests/support/wav_length.h"

namespace scurrow::testing {

std::vector<std::string> EventLog::Texts(const std::vector<std::string>& prefixes) const {
  std::vector<std::string> texts;
  for (const LogEntry& entry : entries_) {
    const bool wanted =
        prefixes.empty() || std::any_of(prefixes.begin(), prefixes.end(),
                                        [&](const auto& p) { return entry.what.starts_with(p); });
    if (wanted) texts.push_back(entry.what);
  }
  return texts;
}

std::optional<int64_t> EventLog::TimeOf(const std::string& what, int64_t from) const {
  for (const LogEntry& entry : entries_) {
    if (entry.ms >= from && entry.what == what) return entry.ms;
  }
  return std::nullopt;
}

int EventLog::Count(const std::string& what) const {
  return static_cast<int>(std::count_if(entries_.begin(), entries_.end(),
                                        [&](const LogEntry& e) { return e.what == what; }));
}

// --- shell ---

VirtualShell::VirtualShell(VirtualClock& clock, EventLog& log, std::string programFolder,
                           uint64_t seed)
    : clock_(clock), log_(log), programFolder_(std::move(programFolder)), random_(seed) {}

void VirtualShell::KeyDown(int64_t at, int16_t keyCode, int16_t shift) {
  script_.emplace(at, Scripted{false, keyCode, shift});
}

void VirtualShell::Close(int64_t at) { script_.emplace(at, Scripted{true, 0, 0}); }

template <typename Body>
Outcome VirtualShell::Guard(Body body) {
  if (ended_) return error_ ? Outcome::kError : Outcome::kEnded;
  try {
    body();
    return Outcome::kIdle;
  } catch (const ProgramEnd&) {
    ended_ = true;
    return Outcome::kEnded;
  } catch (const RuntimeError& error) {
    ended_ = true;
    error_ = error;
    log_.Add(clock_.ms, "error " + error.Report());
    return Outcome::kError;
  }
}

Outcome VirtualShell::Start(FormEvents& form) {
  form_ = &form;
  return Guard([&] { form.Form_Load(); });
}

Outcome VirtualShell::RunUntil(int64_t limitMs) {
  return Guard([&] {
    while (!unloaded_) {
      const auto next = NextDue();
      if (!next || *next > limitMs) break;
      clock_.ms = std::max(clock_.ms, *next);
      DispatchOneDue();
    }
    clock_.ms = std::max(clock_.ms, limitMs);
  });
}

std::optional<int64_t> VirtualShell::NextDue() const {
  std::optional<int64_t> next = timer_.Deadline();
  if (!script_.empty() && (!next || script_.begin()->first < *next)) next = script_.begin()->first;
  return next;
}

bool VirtualShell::DispatchOneDue() {
  const auto deadline = timer_.Deadline();
  const bool scriptDue = !script_.empty() && script_.begin()->first <= clock_.ms;
  // Of two due events the earlier goes first; a key wins a tie with a tick.
  if (scriptDue && (!deadline || script_.begin()->first <= *deadline)) {
    const Scripted event = script_.begin()->second;
    script_.erase(script_.begin());
    if (event.close) {
      log_.Add(clock_.ms, "close");
      if (!unloaded_) UnloadWindow();
    } else {
      log_.Add(clock_.ms, "key " + std::to_string(event.keyCode));
      int16_t keyCode = event.keyCode;
      int16_t shift = event.shift;
      form_->Form_KeyDown(keyCode, shift);
    }
  } else if (timer_.TakeDueTick(clock_.ms)) {
    log_.Add(clock_.ms, "tick");
    form_->Timer1_Timer();
  } else {
    return false;
  }
  if (observer_) observer_();
  return true;
}

void VirtualShell::ShowWindow() {
  shown_ = true;
  log_.Add(clock_.ms, "show window");
}

void VirtualShell::UnloadWindow() {
  log_.Add(clock_.ms, "unload");
  int16_t cancel = 0;
  form_->Form_Unload(cancel);
  if (cancel == 0) unloaded_ = true;
}

void VirtualShell::SetTimerInterval(int32_t milliseconds) {
  log_.Add(clock_.ms, "timer interval " + std::to_string(milliseconds));
  timer_.SetInterval(milliseconds, clock_.ms);
}

void VirtualShell::SetTimerEnabled(bool enabled) {
  log_.Add(clock_.ms, enabled ? "timer enabled" : "timer disabled");
  timer_.SetEnabled(enabled, clock_.ms);
}

void VirtualShell::PumpEvents() {
  clock_.ms += 1;
  while (!unloaded_ && DispatchOneDue()) {
  }
}

float VirtualShell::Clock() {
  return static_cast<float>(std::fmod(midnightOffset_ + clock_.ms / 1000.0, 86400.0));
}

void VirtualShell::ChangeDirectory(const std::string& folder) {
  log_.Add(clock_.ms, "change directory " + folder);
  currentDirectory_ = folder;
}

void VirtualShell::WindowGone() { log_.Add(clock_.ms, "end program"); }

// --- sound device ---

int VirtualAudioDevice::LoadedBuffers() const {
  return static_cast<int>(
      std::count_if(buffers_.begin(), buffers_.end(), [](const Buffer& b) { return !b.released; }));
}

void VirtualAudioDevice::Record(const std::string& what) {
  log_.Add(clock_.ms, what);
  if (failures_.erase(what) > 0) {
    throw RuntimeError(ErrorNumber::kDeviceUnavailable, "Injected failure: " + what);
  }
}

void VirtualAudioDevice::BindToWindow(WindowHandle window) {
  Record("bind to window " + std::to_string(window));
}

BufferId VirtualAudioDevice::Load(const std::string& path) {
  Record("load " + path);
  const int64_t length = WavLengthMs(path);
  Buffer loaded;
  loaded.name = std::filesystem::path(path).filename().string();
  loaded.lengthMs = length;
  buffers_.push_back(loaded);
  return static_cast<BufferId>(buffers_.size() - 1);
}

VirtualAudioDevice::Buffer& VirtualAudioDevice::Find(BufferId buffer,
                                                     const std::string& operation) {
  Buffer& found = buffers_.at(static_cast<size_t>(buffer));
  if (found.released) ++releasedTouches_;
  if (!operation.empty()) Record(operation + " " + found.name);
  return found;
}

void VirtualAudioDevice::PlayOnce(BufferId buffer) {
  Buffer& b = Find(buffer, "play once");
  b.looping = false;
  b.startedAt = clock_.ms;
}

void VirtualAudioDevice::PlayLooping(BufferId buffer) {
  Buffer& b = Find(buffer, "play looping");
  if (!b.looping) b.startedAt = clock_.ms;
  b.looping = true;
}

void VirtualAudioDevice::Stop(BufferId buffer) {
  Buffer& b = Find(buffer, "stop");
  b.looping = false;
  b.startedAt.reset();
}

void VirtualAudioDevice::Rewind(BufferId buffer) { Find(buffer, "rewind"); }

bool VirtualAudioDevice::IsPlaying(BufferId buffer) {
  const Buffer& b = Find(buffer, "");
  return b.looping || (b.startedAt && clock_.ms < *b.startedAt + b.lengthMs);
}

void VirtualAudioDevice::Release(BufferId buffer) {
  Buffer& b = Find(buffer, "release");
  b.released = true;
}

// --- file player ---

void VirtualFilePlayer::PlayAndWait(const std::string& fileName) {
  int64_t length = kDefaultSoundMs;
  std::string what = "speak " + fileName;
  try {
    length = WavLengthMs(shell_.CurrentDirectory() + "/" + fileName);
  } catch (const RuntimeError&) {
    what += " (default)";
  }
  log_.Add(clock_.ms, what);
  clock_.ms += length;
}

}  // namespace scurrow::testing
