// Key-to-sound latency on the real layers: the real SdlShell runs the real
// frmMain with the real sounds on SDL2_mixer, while a thread of this program
// pushes arrow-key events at random intervals. Each press is stamped when the
// shell hands it to Form_KeyDown and when the audio callback first mixes the
// cue it started. The same run repeats with a 4096-frame mixer buffer.
//
// Usage: bench_latency [presses per buffer size]   (1000 if not given)
#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_report.h"
#include "bench/mixer_probe.h"
#include "bench/timed_audio_device.h"
#include "game/frm_main.h"
#include "shell/sdl_shell.h"
#include "sound/sdl_audio_device.h"
#include "sound/sdl_file_player.h"

namespace scurrow::bench {
namespace {

// One key press, filled in by the pushing thread, the shell's thread and the
// audio callback in turn.
struct Press {
  std::atomic<int64_t> pushedAt{0};
  int64_t enteredAt = 0;
  std::string cue;  // the file of the first sound the key started
  MixMark mark;
};

struct PhaseResult {
  int bufferFrames = 0;  // asked of the mixer
  int mixedFrames = 0;   // per callback, as the mixer delivered them
  int sampleRate = 0;
  int exitStatus = -1;
  int keysHandled = 0;
  int timeOuts = 0;    // stars lost during the run (none expected)
  int unanswered = 0;  // arrow keys that started no cue
  int unmixed = 0;     // cues never seen in a callback
  std::map<std::string, std::vector<double>> latencyMs;  // by cue, and "all"
  std::vector<double> queueMs;                           // push to Form_KeyDown
  std::vector<double> periodMs;                          // between callbacks
  long peakRssKb = 0;
};

long PeakRssKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmHWM:")) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return 0;
}

SDL_Keycode SdlKeyOf(int16_t code) {
  switch (code) {
    case frmMain::kKeyLeft:
      return SDLK_LEFT;
    case frmMain::kKeyRight:
      return SDLK_RIGHT;
    case frmMain::kKeyUp:
      return SDLK_UP;
    case frmMain::kKeyDown:
      return SDLK_DOWN;
    case frmMain::kKeyY:
      return SDLK_y;
    default:
      return SDLK_n;
  }
}

// The main window for the run: frmMain itself, with the key-down stamped on
// entry and the next key chosen from the game's state after every event.
class LatencyForm : public FormEvents {
 public:
  LatencyForm(frmMain& game, std::vector<std::unique_ptr<Press>>& presses, uint32_t seed)
      : game_(game), presses_(presses), random_(seed) {}

  void Form_Load() override {
    game_.Form_Load();
    PlanNextKey();
    ready.store(true);
  }

  void Form_KeyDown(int16_t& KeyCode, int16_t& Shift) override {
    const int64_t entered = NowNs();
    const size_t index = handled_++;
    current_ = index < presses_.size() ? presses_[index].get() : nullptr;
    if (current_ != nullptr) current_->enteredAt = entered;
    game_.Form_KeyDown(KeyCode, Shift);
    current_ = nullptr;
    PlanNextKey();
  }

  void Form_Unload(int16_t& Cancel) override { game_.Form_Unload(Cancel); }

  void Timer1_Timer() override {
    const bool wasRunning = game_.State().Lives == 1;
    game_.Timer1_Timer();
    if (wasRunning && game_.State().Lives == 0) ++timeOuts;
    PlanNextKey();
  }

  // Called by the device right after a play once, audio still locked.
  void PlayedOnce(const std::string& file, int channel) {
    if (current_ == nullptr || !current_->cue.empty()) return;
    current_->cue = file;
    current_->mark.probe = nullptr;
    WatchChannel(channel, current_->mark);
  }

  int Handled() const { return static_cast<int>(handled_); }

  std::atomic<bool> ready{false};
  // Set when the shell's loop has ended, so that the pushing thread stops.
  std::atomic<bool> abort{false};
  std::atomic<int16_t> nextKey{frmMain::kKeyLeft};
  int timeOuts = 0;

 private:
  // Walks toward the star; at an edge, now and then bumps into it instead so
  // that every cue gets its share. A lost game is restarted with Y.
  void PlanNextKey() {
    GameState& state = game_.State();
    if (state.Lives == 0) {
      nextKey.store(frmMain::kKeyY);
      return;
    }
    std::vector<int16_t> edges;
    if (state.Column == 1) edges.push_back(frmMain::kKeyLeft);
    if (state.Column == 5) edges.push_back(frmMain::kKeyRight);
    if (state.Row == 1) edges.push_back(frmMain::kKeyUp);
    if (state.Row == 5) edges.push_back(frmMain::kKeyDown);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    if (!edges.empty() && chance(random_) < 0.3) {
      nextKey.store(edges[random_() % edges.size()]);
      return;
    }
    int16_t starColumn = 0;
    int16_t starRow = 0;
    for (int16_t c = 1; c <= 5 && state.Board; ++c) {
      for (int16_t r = 1; r <= 5; ++r) {
        if (state.Board->Cell(c, r) == kStar) {
          starColumn = c;
          starRow = r;
        }
      }
    }
    std::vector<int16_t> toward;
    if (starColumn < state.Column) toward.push_back(frmMain::kKeyLeft);
    if (starColumn > state.Column) toward.push_back(frmMain::kKeyRight);
    if (starRow < state.Row) toward.push_back(frmMain::kKeyUp);
    if (starRow > state.Row) toward.push_back(frmMain::kKeyDown);
    if (toward.empty()) {
      // The star lies under the player: step off, and back on next time.
      toward.push_back(state.Column > 1 ? frmMain::kKeyLeft : frmMain::kKeyRight);
    }
    nextKey.store(toward[random_() % toward.size()]);
  }

  frmMain& game_;
  std::vector<std::unique_ptr<Press>>& presses_;
  std::mt19937 random_;
  size_t handled_ = 0;
  Press* current_ = nullptr;
};

// Pushes `presses` key-downs at random intervals of 30 to 120 ms once the game
// is set up, then a close request once the last cue has surely been mixed.
void PushKeys(LatencyForm& form, std::vector<std::unique_ptr<Press>>& presses, uint32_t windowId,
              uint32_t seed) {
  while (!form.ready.load()) {
    if (form.abort.load()) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> intervalUs(30'000, 120'000);
  auto next = std::chrono::steady_clock::now();
  for (auto& press : presses) {
    if (form.abort.load()) return;
    next += std::chrono::microseconds(intervalUs(random));
    std::this_thread::sleep_until(next);
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.windowID = windowId;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = SdlKeyOf(form.nextKey.load());
    event.key.keysym.scancode = SDL_GetScancodeFromKey(event.key.keysym.sym);
    press->pushedAt.store(NowNs());
    SDL_PushEvent(&event);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  SDL_Event close{};
  close.type = SDL_QUIT;
  SDL_PushEvent(&close);
}

PhaseResult RunPhase(int bufferFrames, int pressCount, uint32_t seed) {
  PhaseResult result;
  result.bufferFrames = bufferFrames;
  std::vector<std::unique_ptr<Press>> presses;
  for (int i = 0; i < pressCount; ++i) presses.push_back(std::make_unique<Press>());
  MixerProbe probe;

  SdlShell shell;
  SdlAudioDevice real(bufferFrames);
  TimedAudioDevice device(real);
  SdlFilePlayer player;
  frmMain game(shell, device, player);
  LatencyForm form(game, presses, seed);
  device.afterOpen = [&] { probe.Install(); };
  device.beforeClose = [&] {
    result.mixedFrames = probe.BufferFrames();
    result.sampleRate = probe.SampleRate();
    probe.Uninstall();
  };
  device.afterPlayOnce = [&](const std::string& file, int channel) {
    form.PlayedOnce(file, channel);
  };

  std::thread pusher(PushKeys, std::ref(form), std::ref(presses), SDL_GetWindowID(shell.Window()),
                     seed + 1);
  result.exitStatus = shell.Run(form);
  form.abort.store(true);
  pusher.join();

  result.keysHandled = form.Handled();
  result.timeOuts = form.timeOuts;
  for (const auto& press : presses) {
    if (press->cue.empty()) {
      ++result.unanswered;
      continue;
    }
    if (!press->mark.Mixed()) {
      ++result.unmixed;
      continue;
    }
    const double ms = NsToMs(press->mark.firstAt.load() - press->enteredAt);
    result.latencyMs[press->cue].push_back(ms);
    result.latencyMs["all"].push_back(ms);
    result.queueMs.push_back(NsToMs(press->enteredAt - press->pushedAt.load()));
  }
  const std::vector<int64_t> times = probe.CallbackTimes();
  for (size_t i = 1; i < times.size(); ++i)
    result.periodMs.push_back(NsToMs(times[i] - times[i - 1]));
  result.peakRssKb = PeakRssKb();
  return result;
}

std::string Version(const SDL_version& v) {
  return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.patch);
}

void ReportCues(const PhaseResult& phase, double targetMs, bool withTarget) {
  const std::string frames = std::to_string(phase.bufferFrames) + "-frame buffer";
  for (const auto& [cue, label] :
       std::array<std::pair<std::string, std::string>, 4>{{{"all", "all cues"},
                                                           {"move.wav", "move cue"},
                                                           {"atedge.wav", "edge cue"},
                                                           {"found.wav", "found cue"}}}) {
    const auto found = phase.latencyMs.find(cue);
    const Summary s =
        Summarize(found == phase.latencyMs.end() ? std::vector<double>{} : found->second);
    const bool overall = cue == "all";
    Row("Key to first mix of its cue, " + frames + ", " + label, s, "ms",
        overall && withTarget ? "p99 <= " + Fixed(targetMs, 1) + " ms" : "",
        overall && withTarget ? Check(s.n > 0 && s.p99 <= targetMs) : Verdict::kInfo);
  }
}

}  // namespace
}  // namespace scurrow::bench

int main(int argc, char** argv) {
  using namespace scurrow;
  using namespace scurrow::bench;
  const int presses = argc > 1 ? std::atoi(argv[1]) : 1000;
  if (presses <= 0) {
    std::fprintf(stderr, "usage: bench_latency [presses]\n");
    return 2;
  }
  // One connection to the display for the whole run: without it the display
  // server may be resetting after the first shell's window has gone just as
  // the second shell connects.
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "bench_latency: no display: %s\n", SDL_GetError());
    return 1;
  }
  try {
    std::fprintf(stderr, "bench_latency: %d presses with a 512-frame buffer\n", presses);
    const PhaseResult small = RunPhase(SdlAudioDevice::kDefaultBufferFrames, presses, 512);
    std::fprintf(stderr, "bench_latency: %d presses with a 4096-frame buffer\n", presses);
    const PhaseResult large = RunPhase(4096, presses, 4096);

    SDL_version linked{};
    SDL_GetVersion(&linked);
    Fact("SDL", Version(linked));
    Fact("SDL_mixer", Version(*Mix_Linked_Version()));
    Fact("Sample rate", std::to_string(small.sampleRate) + " Hz");
    Fact("Mixer buffer", std::to_string(small.mixedFrames) + " frames per callback (asked " +
                             std::to_string(small.bufferFrames) + ")");
    Fact("Comparison buffer", std::to_string(large.mixedFrames) + " frames per callback (asked " +
                                  std::to_string(large.bufferFrames) + ")");

    const double nominalMs = 1000.0 * small.bufferFrames / SdlAudioDevice::kSampleRate;
    const double targetMs = 1.2 * nominalMs;
    ReportCues(small, targetMs, true);
    ReportCues(large, 0, false);

    const Summary a =
        Summarize(small.latencyMs.count("all") ? small.latencyMs.at("all") : std::vector<double>{});
    const Summary b =
        Summarize(large.latencyMs.count("all") ? large.latencyMs.at("all") : std::vector<double>{});
    if (a.n > 0 && b.n > 0) {
      Summary ratio;
      ratio.n = std::min(a.n, b.n);
      ratio.min = b.min / a.min;
      ratio.median = b.median / a.median;
      ratio.p99 = b.p99 / a.p99;
      ratio.max = b.max / a.max;
      ratio.mean = b.mean / a.mean;
      Row("Ratio 4096-frame / 512-frame latency (column by column)", ratio, "x", "p99 ratio >= 4",
          Check(ratio.p99 >= 4.0));
    }
    Row("Key pushed to Form_KeyDown entry (event queue wake-up), 512-frame run",
        Summarize(small.queueMs), "ms", "", Verdict::kInfo, 3);
    Row("Mixer callback period, 512-frame buffer (dummy driver)", Summarize(small.periodMs), "ms",
        "", Verdict::kInfo);
    Row("Mixer callback period, 4096-frame buffer (dummy driver)", Summarize(large.periodMs), "ms",
        "", Verdict::kInfo);
    RowValue("Peak resident set of the bench process after the 512-frame run of " +
                 std::to_string(presses) + " keys (VmHWM)",
             small.peakRssKb / 1024.0, "MB", "", Verdict::kInfo, 1);

    const std::string section = "Key-to-sound latency";
    for (const PhaseResult* phase : {&small, &large}) {
      const auto count = [&](const std::string& cue) {
        const auto found = phase->latencyMs.find(cue);
        return std::to_string(found == phase->latencyMs.end() ? 0 : found->second.size());
      };
      Note(section, std::to_string(phase->bufferFrames) +
                        "-frame run: " + std::to_string(phase->keysHandled) +
                        " keys handled; cues mixed: " + count("move.wav") + " move, " +
                        count("atedge.wav") + " edge, " + count("found.wav") + " found; " +
                        std::to_string(phase->unanswered) + " keys without a cue; " +
                        std::to_string(phase->unmixed) +
                        " cues cut off by the next key's cue on the same channel before any "
                        "callback mixed them (never heard); " +
                        std::to_string(phase->timeOuts) + " stars lost; exit status " +
                        std::to_string(phase->exitStatus) + ".");
    }
    Note(section, "Nominal period of the 512-frame buffer: " + Fixed(nominalMs, 2) +
                      " ms at 44.1 kHz; target p99 <= 1.2 periods = " + Fixed(targetMs, 2) +
                      " ms.");
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return small.exitStatus == 0 && large.exitStatus == 0 && small.unmixed == 0 ? 0 : 1;
  } catch (const RuntimeError& error) {
    std::fprintf(stderr, "bench_latency: %s\n", error.Report().c_str());
    return 1;
  }
}
