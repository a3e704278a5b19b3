// Key to first mix of its cue, on the real layers: the real SdlShell runs the
// real frmMain on the real SdlAudioDevice while a thread pushes arrow keys at
// random intervals. Each key is stamped when it is pushed, and its cue when an
// audio callback first mixes it (an SDL_mixer effect on the cue's channel).
//
// Usage: bench_key_latency [BUFFER_FRAMES] [KEYS]   (the game's own size and 500 if not given)
#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <random>
#include <thread>
#include <vector>

#include "bench/stats.h"
#include "game/frm_main.h"
#include "shell/sdl_shell.h"
#include "sound/sdl_audio_device.h"
#include "sound/sdl_file_player.h"

namespace {

using namespace scurrow;

int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

struct Press {
  std::atomic<int64_t> pushedAt{0};
  std::atomic<int64_t> mixedAt{0};
  bool cued = false;  // the key started a cue
};

std::atomic<int> framesPerCallback{0};

void CountFrames(void*, Uint8*, int len) { framesPerCallback = len / 4; }  // 16-bit stereo

void StampFirstMix(int, void*, int, void* press) {
  std::atomic<int64_t>& mixedAt = static_cast<Press*>(press)->mixedAt;
  if (mixedAt == 0) mixedAt = NowNs();
}

// The real device. The first cue of a watched key gets the stamping effect,
// registered with the audio device locked so that no callback mixes it before.
class StampingDevice : public SdlAudioDevice {
 public:
  using SdlAudioDevice::SdlAudioDevice;

  void PlayOnce(BufferId buffer) override {
    SDL_AudioDeviceID id = 1;  // the mixer's device is the one playing
    while (id < 32 && SDL_GetAudioDeviceStatus(id) != SDL_AUDIO_PLAYING) ++id;
    struct Lock {
      SDL_AudioDeviceID id;
      ~Lock() { SDL_UnlockAudioDevice(id); }
    } lock{id};
    SDL_LockAudioDevice(id);
    SdlAudioDevice::PlayOnce(buffer);
    if (watched != nullptr && !watched->cued) {
      watched->cued = true;
      Mix_RegisterEffect(ChannelOf(buffer), &StampFirstMix, nullptr, watched);
    }
  }

  Press* watched = nullptr;
};

// frmMain, handing each key to the device to watch and choosing the next key
// from the game's state: towards the star, or off it when it lies underfoot.
class KeyedGame : public frmMain {
 public:
  KeyedGame(Shell& shell, StampingDevice& device, FilePlayer& player, std::vector<Press>& presses)
      : frmMain(shell, device, player), device_(device), presses_(presses) {}

  void Form_Load() override {
    frmMain::Form_Load();
    Mix_SetPostMix(&CountFrames, nullptr);
    PlanNextKey();
    ready = true;
  }

  void Form_KeyDown(int16_t& KeyCode, int16_t& Shift) override {
    device_.watched = handled_ < presses_.size() ? &presses_[handled_] : nullptr;
    ++handled_;
    frmMain::Form_KeyDown(KeyCode, Shift);
    device_.watched = nullptr;
    PlanNextKey();
  }

  std::atomic<bool> ready{false};
  std::atomic<SDL_Keycode> nextKey{SDLK_LEFT};

 private:
  void PlanNextKey() {
    const GameState& state = State();
    int16_t column = state.Column;
    int16_t row = state.Row;
    for (int16_t c = 1; c <= 5 && state.Board; ++c) {
      for (int16_t r = 1; r <= 5; ++r) {
        if (state.Board->Cell(c, r) == kStar) column = c, row = r;
      }
    }
    if (column != state.Column) {
      nextKey = column < state.Column ? SDLK_LEFT : SDLK_RIGHT;
    } else if (row != state.Row) {
      nextKey = row < state.Row ? SDLK_UP : SDLK_DOWN;
    } else {
      nextKey = state.Column > 1 ? SDLK_LEFT : SDLK_RIGHT;
    }
  }

  StampingDevice& device_;
  std::vector<Press>& presses_;
  size_t handled_ = 0;
};

// Once start-up is over, pushes a key-down every 30 to 120 ms, then a close
// request when the last cue has surely been mixed.
void PushKeys(KeyedGame& game, std::vector<Press>& presses, const std::atomic<bool>& over) {
  while (!game.ready && !over) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::mt19937 random(7);
  std::uniform_int_distribution<int> gapUs(30'000, 120'000);
  for (Press& press : presses) {
    std::this_thread::sleep_for(std::chrono::microseconds(gapUs(random)));
    if (over) return;
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = game.nextKey;
    press.pushedAt = NowNs();
    SDL_PushEvent(&event);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  SDL_Event close{};
  close.type = SDL_QUIT;
  SDL_PushEvent(&close);
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : platform::kMixerFrames;
  std::vector<Press> presses(argc > 2 ? std::atoi(argv[2]) : 500);
  try {
    SdlShell shell;
    StampingDevice device(frames);
    SdlFilePlayer player;
    KeyedGame game(shell, device, player, presses);
    std::atomic<bool> over{false};
    std::thread pusher(PushKeys, std::ref(game), std::ref(presses), std::cref(over));
    shell.Run(game, [] {});
    over = true;
    pusher.join();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_key_latency: %s\n", error.what());
    return 1;
  }

  std::vector<double> ms;
  int uncued = 0;   // keys that started no cue
  int unheard = 0;  // cues replaced on their channel before any callback mixed them
  for (const Press& press : presses) {
    if (!press.cued) {
      ++uncued;
    } else if (press.mixedAt == 0) {
      ++unheard;
    } else {
      ms.push_back((press.mixedAt - press.pushedAt) / 1e6);
    }
  }
  std::sort(ms.begin(), ms.end());
  const auto rank = [&](double q) { return Rank(ms, q); };
  std::printf("key%d_p50 %.2f\nkey%d_p99 %.2f\nkey%d_max %.2f\n", frames, rank(0.5), frames,
              rank(0.99), frames, rank(1.0));
  std::printf("key%d_n %zu\nkey%d_uncued %d\nkey%d_unheard %d\nkey%d_callback %d\n", frames,
              ms.size(), frames, uncued, frames, unheard, frames, framesPerCallback.load());
  return 0;
}
