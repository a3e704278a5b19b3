#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "shell/random_source.h"
#include "shell/runtime_error.h"
#include "shell/shell.h"
#include "shell/star_timer.h"
#include "sound/audio_device.h"
#include "sound/file_player.h"

namespace scurrow::testing {

// One thing that happened on the virtual platform, at a virtual time.
struct LogEntry {
  int64_t ms;
  std::string what;
};

// The shared record of every sound operation, spoken word and shell call.
class EventLog {
 public:
  void Add(int64_t ms, std::string what) { entries_.push_back({ms, std::move(what)}); }
  const std::vector<LogEntry>& Entries() const { return entries_; }
  // The entries' texts that start with any of `prefixes` (all, if none).
  std::vector<std::string> Texts(const std::vector<std::string>& prefixes = {}) const;
  // The time of the first entry equal to `what` at or after `from`.
  std::optional<int64_t> TimeOf(const std::string& what, int64_t from = 0) const;
  int Count(const std::string& what) const;
  void Clear() { entries_.clear(); }

 private:
  std::vector<LogEntry> entries_;
};

// Virtual time in milliseconds, shared by the virtual shell and sound.
struct VirtualClock {
  int64_t ms = 0;
};

// How a run of the virtual shell came back.
enum class Outcome { kIdle, kEnded, kError };

// The shell on virtual time: scripted key-downs and close requests, the star
// timer on the same rules as the real one, and a pump that moves the clock on
// by one millisecond and delivers whatever has fallen due.
class VirtualShell : public Shell {
 public:
  VirtualShell(VirtualClock& clock, EventLog& log, std::string programFolder, uint64_t seed = 1);

  // Script: a key-down or a close request at a virtual time.
  void KeyDown(int64_t at, int16_t keyCode, int16_t shift = 0);
  void Close(int64_t at);
  // The clock reads `seconds` since midnight at virtual time 0.
  void SetMidnightOffset(double seconds) { midnightOffset_ = seconds; }
  // Called after every handler that the shell ran returns normally.
  void SetObserver(std::function<void()> observer) { observer_ = std::move(observer); }

  // Raises the load event.
  Outcome Start(FormEvents& form);
  // Runs the event loop until `limitMs`, the end of the program, or nothing
  // more can happen (no script left and no timer counting).
  Outcome RunUntil(int64_t limitMs);

  bool Ended() const { return ended_; }
  bool WindowShown() const { return shown_; }
  const std::optional<RuntimeError>& Error() const { return error_; }
  const StarTimer& Timer() const { return timer_; }
  const std::string& CurrentDirectory() const { return currentDirectory_; }
  size_t PendingScript() const { return script_.size(); }

  void ShowWindow() override;
  WindowHandle Handle() override { return 1; }
  void UnloadWindow() override;
  void SetTimerInterval(int32_t milliseconds) override;
  void SetTimerEnabled(bool enabled) override;
  void PumpEvents() override;
  float Clock() override;
  void Randomize() override { random_.Reseed(Clock()); }
  float Rnd() override { return random_.Draw(); }
  std::string ProgramFolder() override { return programFolder_; }
  void ChangeDirectory(const std::string& folder) override;

 protected:
  void WindowGone() override;

 private:
  struct Scripted {
    bool close;
    int16_t keyCode;
    int16_t shift;
  };
  template <typename Body>
  Outcome Guard(Body body);
  std::optional<int64_t> NextDue() const;
  // Delivers the earliest event due now; false if none is.
  bool DispatchOneDue();

  VirtualClock& clock_;
  EventLog& log_;
  std::string programFolder_;
  std::string currentDirectory_ = "/";
  RandomSource random_;
  StarTimer timer_;
  std::multimap<int64_t, Scripted> script_;
  FormEvents* form_ = nullptr;
  std::function<void()> observer_;
  double midnightOffset_ = 3600;  // 1 a.m.: float readings hold milliseconds
  bool shown_ = false;
  bool unloaded_ = false;
  bool ended_ = false;
  std::optional<RuntimeError> error_;
};

// The sound device on virtual time: each buffer knows its length from its WAV
// header, and is playing while the clock is within it. Every operation but the
// polling of the playing state is logged as "<operation> <file name>".
class VirtualAudioDevice : public AudioDevice {
 public:
  VirtualAudioDevice(VirtualClock& clock, EventLog& log) : clock_(clock), log_(log) {}

  // The next operation whose log text equals `what` throws a RuntimeError.
  void FailOn(std::string what) { failures_.insert(std::move(what)); }
  // Operations that reached a buffer after its release (never expected).
  int ReleasedTouches() const { return releasedTouches_; }
  int LoadedBuffers() const;

  void CreateRoot() override { Record("create root"); }
  void OpenDevice() override { Record("open device"); }
  void BindToWindow(WindowHandle window) override;
  BufferId Load(const std::string& path) override;
  void PlayOnce(BufferId buffer) override;
  void PlayLooping(BufferId buffer) override;
  void Stop(BufferId buffer) override;
  void Rewind(BufferId buffer) override;
  bool IsPlaying(BufferId buffer) override;
  void Release(BufferId buffer) override;
  void ReleaseDevice() override { Record("release device"); }
  void ReleaseRoot() override { Record("release root"); }

 private:
  struct Buffer {
    std::string name;
    int64_t lengthMs = 0;
    bool released = false;
    bool looping = false;
    std::optional<int64_t> startedAt;
  };
  Buffer& Find(BufferId buffer, const std::string& operation);
  void Record(const std::string& what);

  VirtualClock& clock_;
  EventLog& log_;
  std::vector<Buffer> buffers_;
  std::set<std::string> failures_;
  int releasedTouches_ = 0;
};

// The blocking player on virtual time: logs "speak <name>" (with " (default)"
// when the file cannot be played) and moves the clock on by the sound's
// length, without running the pump.
class VirtualFilePlayer : public FilePlayer {
 public:
  VirtualFilePlayer(VirtualClock& clock, EventLog& log, const VirtualShell& shell)
      : clock_(clock), log_(log), shell_(shell) {}
  void PlayAndWait(const std::string& fileName) override;

 private:
  VirtualClock& clock_;
  EventLog& log_;
  const VirtualShell& shell_;
};

// The three virtual pieces wired together over one clock and one log.
struct VirtualPlatform {
  explicit VirtualPlatform(std::string programFolder, uint64_t seed = 1)
      : shell(clock, log, std::move(programFolder), seed) {}

  VirtualClock clock;
  EventLog log;
  VirtualShell shell;
  VirtualAudioDevice audio{clock, log};
  VirtualFilePlayer player{clock, log, shell};
};

}  // namespace scurrow::testing
