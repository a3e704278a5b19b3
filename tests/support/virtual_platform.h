#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "game/frm_main.h"
#include "shell/random_source.h"
#include "shell/shell.h"
#include "shell/star_timer.h"
#include "sound/audio_device.h"
#include "sound/file_player.h"

namespace scurrow::testing {

using Cell = std::pair<int16_t, int16_t>;  // column, row

// The game's whole platform on virtual milliseconds: the shell (scripted events, the star
// timer, a pump that moves the clock on by 1 ms and delivers what is due), the sound device
// (a buffer sounds for its file's length) and the blocking player (which moves the clock on by
// the word's length without pumping), with frmMain on it. Every operation is logged with its time.
class VirtualPlatform : public Shell, public AudioDevice, public FilePlayer {
 public:
  static constexpr int64_t kWordMs = 400;

  VirtualPlatform() {
    for (int n = 0; n <= 90; n += n < 20 ? 1 : 10) files[std::to_string(n) + ".wav"] = kWordMs;
  }

  // The sound files in the program folder "/game" and their lengths; others are missing.
  std::map<std::string, int64_t> files = {
      {"background.wav", 20000}, {"move.wav", 100},      {"found.wav", 600},
      {"atedge.wav", 120},       {"nofind.wav", 1500},   {"again.wav", 2000},
      {"nextlevel.wav", 900},    {"intro.wav", 3000},    {"hundred.wav", kWordMs},
      {"thousand.wav", kWordMs}, {"points.wav", kWordMs}};
  double midnightOffset = 3600;  // the clock at virtual time 0, where a float holds 1 ms
  // An operation whose log text is here throws a RuntimeError once, after being logged.
  std::multiset<std::string> failures;

  // The script: an action at a virtual time, such as a key-down or a close request.
  void At(int64_t at, std::function<void()> action) { script_.emplace(at, std::move(action)); }
  void KeyDown(int64_t at, int16_t code) {
    At(at, [this, code, shift = int16_t{0}]() mutable {
      Record("key " + std::to_string(code));
      form.Form_KeyDown(code, shift);
    });
  }
  void Close(int64_t at) {
    At(at, [this] {
      Record("close");
      UnloadWindow();
    });
  }

  // Raises the load event; runs the event loop until `limitMs` or the end of the program.
  void Start() {
    Guard([&] { form.Form_Load(); });
  }
  void RunUntil(int64_t limitMs) {
    Guard([&] {
      for (int64_t next; !unloaded_; DispatchOneDue()) {
        next = std::min(script_.empty() ? limitMs + 1 : script_.begin()->first,
                        timer_.Deadline().value_or(limitMs + 1));
        if (next > limitMs) break;
        now_ = std::max(now_, next);
      }
      now_ = std::max(now_, limitMs);
    });
  }

  int64_t Now() const { return now_; }
  // The log from `from` to `until`, the operations of one millisecond together:
  // "500: key 89, stop again; 1000: play intro".
  std::string Story(int64_t from, int64_t until) const {
    std::string story;
    for (int64_t last = -1; const auto& [ms, what] : log_) {
      if (ms < from || ms > until) continue;
      story += ms == last ? ", " : (story.empty() ? "" : "; ") + std::to_string(ms) + ": ";
      story += what;
      last = ms;
    }
    return story;
  }

  GameState& State() { return form.State(); }

  // The star's cell; {0, 0} while there is none.
  Cell Star() {
    for (int16_t c = 0; State().Board && c <= 5; ++c)
      for (int16_t r = 0; r <= 5; ++r)
        if (State().Board->Cell(c, r) == kStar) return {c, r};
    return {0, 0};
  }

  // A fresh board with the star on (4, 3), the player on (`column`, `row`), and the score.
  void Arrange(int16_t column, int16_t row, int32_t score) {
    State().Board.emplace().Cell(4, 3) = std::string(kStar);
    State().Column = column, State().Row = row, State().Score = score;
  }

  frmMain form{*this, *this, *this};  // the game, on this platform

  void ShowWindow() override { Record("show window"); }
  WindowHandle Handle() override { return 1; }
  void UnloadWindow() override {
    Record("unload");
    int16_t cancel = 0;
    form.Form_Unload(cancel);
    unloaded_ = cancel == 0;
  }
  void SetTimerInterval(int32_t ms) override {
    Record("interval " + std::to_string(ms));
    timer_.SetInterval(ms, now_);
  }
  void SetTimerEnabled(bool enabled) override {
    Record(enabled ? "timer on" : "timer off");
    timer_.SetEnabled(enabled, now_);
  }
  void PumpEvents() override {
    for (++now_; !unloaded_ && DispatchOneDue();) continue;
  }
  float Clock() override { return std::fmod(midnightOffset + now_ / 1000.0, 86400.0); }
  void Randomize() override { random_.Reseed(Clock()); }
  float Rnd() override { return random_.Draw(); }
  std::string ProgramFolder() override { return "/game"; }
  void ChangeDirectory(const std::string& folder) override { Record("cd " + folder); }

  void CreateRoot() override { Record("create root"); }
  void OpenDevice() override { Record("open device"); }
  void BindToWindow(WindowHandle window) override {
    Record("bind to window " + std::to_string(window));
  }
  BufferId Load(const std::string& path) override {
    Record("load " + path);
    const auto file = path.starts_with("/game/") ? files.find(path.substr(6)) : files.end();
    if (file == files.end()) throw RuntimeError(ErrorNumber::kFileNotFound, "No " + path);
    buffers_.push_back({file->first.substr(0, file->first.size() - 4), file->second});
    return static_cast<BufferId>(buffers_.size() - 1);
  }
  void PlayOnce(BufferId buffer) override { Use(buffer, "play").Sound(now_, false); }
  void PlayLooping(BufferId buffer) override {
    if (Buffer& used = Use(buffer, "loop"); !used.looping) used.Sound(now_, true);
  }
  void Stop(BufferId buffer) override { Use(buffer, "stop").Sound(-1, false); }
  void Rewind(BufferId buffer) override { Use(buffer, "rewind"); }
  // Only a sound played once counts as playing, and only until its end.
  bool IsPlaying(BufferId buffer) override {
    const Buffer& used = buffers_.at(buffer);
    return !used.looping && used.since >= 0 && now_ < used.since + used.ms;
  }
  void Release(BufferId buffer) override { Use(buffer, "release"); }
  void ReleaseDevice() override { Record("release device"); }
  void ReleaseRoot() override { Record("release root"); }

  // A word lasts its file's length; the words are found by bare name after "cd /game".
  void PlayAndWait(const std::string& name) override {
    Record("say " + name.substr(0, name.size() - 4));
    now_ += files.at(name);
  }

 protected:
  void WindowGone() override { Record("end program"); }

 private:
  struct Buffer {
    void Sound(int64_t from, bool loop) { since = from, looping = loop; }
    std::string name;  // without ".wav"
    int64_t ms;
    int64_t since = -1;  // when it began to sound; -1: silent
    bool looping = false;
  };

  void Record(const std::string& what) {
    log_.emplace_back(now_, what);
    if (const auto failure = failures.find(what); failure != failures.end()) {
      failures.erase(failure);
      throw RuntimeError(ErrorNumber::kDeviceUnavailable, "Failed: " + what);
    }
  }
  Buffer& Use(BufferId buffer, const std::string& operation) {
    Record(operation + " " + buffers_.at(buffer).name);
    return buffers_.at(buffer);
  }
  void Guard(const std::function<void()>& body) {
    try {
      if (!ended_) body();
    } catch (const ProgramEnd&) {
      ended_ = true;
    }
  }
  // Delivers the earliest event due now, a scripted one first on a tie with a tick.
  bool DispatchOneDue() {
    const auto first = script_.begin();
    if (first != script_.end() &&
        first->first <= std::min(now_, timer_.Deadline().value_or(now_))) {
      const auto action = std::move(first->second);
      script_.erase(first);
      action();
    } else if (timer_.TakeDueTick(now_)) {
      Record("tick");
      form.Timer1_Timer();
    } else {
      return false;
    }
    return true;
  }

  std::vector<std::pair<int64_t, std::string>> log_;
  std::multimap<int64_t, std::function<void()>> script_;
  std::vector<Buffer> buffers_;
  RandomSource random_{1};
  StarTimer timer_;
  int64_t now_ = 0;
  bool unloaded_ = false, ended_ = false;
};

}  // namespace scurrow::testing
