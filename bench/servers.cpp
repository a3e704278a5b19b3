// Key to sound at the sink of a sound server, for bench/servers. The real
// program GAME plays on the server's null sink "out"; this program records the
// sink's monitor, presses real keys through xdotool (XTEST), stamps both on
// CLOCK_MONOTONIC and finds each cue in the recording by its waveform. A
// sample's time is when it reached this program: parec's raw stereo on
// standard input, in 3 ms fragments (pa), or SDL's PipeWire capture, which gets
// each cycle of the graph as the sink takes it (pw). MODE and N:
//   keys N   Left keys at the grid's left edge, each answered by atedge.wav
//   music N  at most N seconds, Y after each lost star; the music that reached
//            the sink compared with background.wav in 10 ms blocks
// The first game starts 7.5 s after this program, once the introduction is
// over. "ref FILE": a raw recording of background.wav played in a loop (the
// reference client's), compared in the same way. Prints "name value" lines.
//
// Usage: bench_servers pa|pw MODE N [GAME] | bench_servers ref FILE
#include <SDL2/SDL.h>
#include <poll.h>
#include <spawn.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "stats.h"

namespace {

std::vector<float> heard, edge, music;            // the monitor, atedge.wav, background.wav: mono
std::vector<std::pair<double, size_t>> arrivals;  // (time, samples heard by then)
std::vector<double> pressed;                      // when each key was pressed
bool parec;                                       // the monitor comes on standard input

double Now() {
  timespec t;
  return clock_gettime(CLOCK_MONOTONIC, &t), t.tv_sec + t.tv_nsec / 1e9;
}

void AddMono(std::vector<float>& to, const Uint8* data, size_t bytes, int channels) {  // 16-bit
  const auto* s = reinterpret_cast<const int16_t*>(data);
  for (size_t i = 0; i < bytes / 2; i += channels)
    to.push_back((s[i] + s[i + channels - 1]) / 65536.f);
}

void Hear(void*, Uint8* data, int bytes) {
  arrivals.emplace_back(Now(), heard.size() + bytes / 4);
  AddMono(heard, data, bytes, 2);
}

// Waits, meanwhile reading parec's output (written in whole frames) as it comes.
void Wait(double seconds) {
  Uint8 buffer[8192];
  pollfd input{0, POLLIN, 0};
  for (const double end = Now() + seconds; Now() < end;) {
    if (!parec) SDL_Delay(1);
    if (parec && poll(&input, 1, 1 + (end - Now()) * 1000) > 0)
      Hear(nullptr, buffer, std::max<ssize_t>(0, read(0, buffer, sizeof buffer)));
  }
}

std::vector<float> Load(const char* name) {  // a 16-bit WAV next to this program
  SDL_AudioSpec loaded;
  Uint8* data = nullptr;
  Uint32 bytes = 0;
  std::vector<float> mono;
  if (!SDL_LoadWAV((SDL_GetBasePath() + std::string(name)).c_str(), &loaded, &data, &bytes))
    std::exit(1);
  AddMono(mono, data, bytes, loaded.channels);
  SDL_FreeWAV(data);
  return mono;
}

size_t HeardBy(double t) {  // samples that had arrived by time t
  const auto it = std::upper_bound(arrivals.begin(), arrivals.end(), std::make_pair(t, SIZE_MAX));
  return it == arrivals.begin() ? 0 : std::prev(it)->second;
}

// Milliseconds from `when` to the arrival of the best match of atedge.wav's
// first 46 ms, from 20 ms before to 150 ms after it; NAN if no cue is there.
double Onset(double when) {
  double best = 0, half = 0;
  size_t at = 0;
  for (size_t k = 0; k < 2048; ++k) half += edge[k] * edge[k] / 2;
  for (size_t i = HeardBy(when - 0.02); i < HeardBy(when + 0.15); ++i) {
    double dot = 0;
    for (size_t k = 0; k < 2048; ++k) dot += heard[i + k] * edge[k];
    if (dot > best) best = dot, at = i;
  }
  const auto arrival = std::upper_bound(arrivals.begin(), arrivals.end(), std::make_pair(0.0, at),
                                        [](auto& a, auto& b) { return a.second < b.second; });
  return best < half ? NAN : (arrival->first - when) * 1000;
}

// Music from each part (LO, FIRST, BLOCKS): found where it begins within 2 s
// of LO, then compared for BLOCKS 10 ms blocks from block FIRST: a block that differs from
// background.wav begins a dropout, after which the music is found again where
// it goes on. Prints the seconds compared, the dropouts and the recorder's losses.
void Dropouts(const std::vector<std::array<size_t, 3>>& parts) {
  const auto error = [&](size_t at, size_t from, size_t n) {  // heard[at...] against music[from...]
    double diff = 0, energy = n * 1e-6;
    for (size_t k = 0; k < n; ++k) {
      const double expected = music[(from + k) % music.size()];
      diff += std::pow(heard[at + k] - expected, 2), energy += expected * expected;
    }
    return diff / energy;
  };
  const auto find = [&](size_t lo, size_t hi, size_t from) {  // where music[0] lies
    std::pair<double, size_t> best{1e9, lo};
    for (size_t at = lo; at < hi && at + from + 4410 <= heard.size(); ++at)
      best = std::min(best, std::make_pair(error(at + from, from, 4410), at));
    return best;
  };
  double seconds = 0, dropouts = 0, lost = 0;
  for (auto [lo, first, blocks] : parts) {  // from block FIRST, else a second on, ten times
    std::pair<double, size_t> found{1e9, lo};
    size_t b = first;
    for (int tries = first ? 10 : 1; tries-- && found.first >= 0.1;
         b += found.first < 0.1 ? 0 : 100)
      found = find(lo, lo + 88200 + b * 441, b * 441);
    const size_t from = b;
    for (size_t off = 0, was = 0, at = found.second;
         found.first < 0.1 && b < from + blocks && at + b * 441 + 48510 <= heard.size();
         ++b, was = off) {
      if (!(off = error(at + b * 441, b * 441, 441) > 0.1) || was) continue;
      // Music later than before is a gap the listener hears; sooner, samples the recorder lost.
      const auto [least, again] = find(std::max(at, size_t{22050}) - 22050, at + 44100, b * 441);
      if (least >= 0.1) break;  // not found again: compared no further
      ++(again + 20 < at ? lost : dropouts), at = again;
    }
    seconds += (b - from) / 100.0;
  }
  std::printf("music_s %.1f\ndropouts %.0f\nrecorder_lost %.0f\n", seconds, dropouts, lost);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && argv[1] == std::string("ref")) {  // 16-bit stereo
    FILE* file = std::fopen(argv[2], "rb");
    Uint8 buffer[8192];
    music = Load("background.wav");
    for (size_t n; file && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
      AddMono(heard, buffer, n, 2);
    return Dropouts({{0, 200, heard.size() / 441}}), 0;  // from 2 s into it
  }
  if (argc < 4) return std::fprintf(stderr, "usage: see bench/servers.cpp\n"), 2;
  const bool keys = argv[2] == std::string("keys");
  const double count = SDL_atof(argv[3]), start = Now();
  parec = argv[1] == std::string("pa");
  edge = Load("atedge.wav"), music = Load("background.wav");
  // The monitor of "out" at 44.1 kHz, asking for a cycle no shorter than the game's own.
  setenv("PIPEWIRE_PROPS", "{ stream.capture.sink=true target.object=out }", 1);
  setenv("PIPEWIRE_LATENCY", "4096/44100", 1);
  SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "pipewire", SDL_HINT_OVERRIDE);
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "monitor");  // not the game's in the servers' logs
  SDL_AudioSpec want{44100, AUDIO_S16SYS, 2, 0, 128, 0, 0, &Hear, nullptr};
  SDL_AudioDeviceID capture = 0;
  if (!parec && (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 ||
                 (capture = SDL_OpenAudioDevice(nullptr, 1, &want, nullptr, 0)) == 0)) {
    return std::fprintf(stderr, "bench_servers: %s\n", SDL_GetError()), 1;
  }
  SDL_PauseAudioDevice(capture, 0);
  unsetenv("PIPEWIRE_PROPS"), unsetenv("PIPEWIRE_LATENCY");  // not for the game

  std::vector<double> games{start + 7.5};  // when each game began: the introduction's end, each Y
  pid_t game;
  if (argc < 5 || posix_spawn(&game, argv[4], nullptr, nullptr, argv + 4, environ) != 0) return 1;
  FILE* xdotool = popen("xdotool -", "w");
  const auto press = [&](const char* key) {  // when the key was pressed
    return std::fprintf(xdotool, "key --delay 0 %s\n", key), std::fflush(xdotool), Now();
  };
  Wait(start + 8.5 - Now());
  for (int i = 0; keys && i < 4; ++i) press("Left"), Wait(0.2);  // to the left edge
  for (;;) {  // a game: bumps until 0.65 s before its star is lost, Y after the spoken score
    const double began = games.back();
    while (keys && pressed.size() < count && Now() < began + 9) {
      Wait(0.25 + pressed.size() * 37 % 100 / 1000.0);  // 0.25 to 0.35 s
      pressed.push_back(press("Left"));
    }
    if (keys ? pressed.size() >= count : began + 25 > start + count) break;
    Wait(began + 14.5 - Now());  // walking to the edge may have found stars
    games.push_back(press("y"));
  }
  Wait(keys ? 0.5 : games.back() + 11.5 - Now());
  kill(game, SIGKILL), pclose(xdotool);
  SDL_CloseAudioDevice(capture);

  if (keys) {
    std::vector<double> ms;
    for (double when : pressed) ms.push_back(Onset(when));
    const size_t n =
        std::partition(ms.begin(), ms.end(), [](double m) { return m == m; }) - ms.begin();
    ms.resize(n), std::sort(ms.begin(), ms.end());
    std::printf("p50 %.2f\np99 %.2f\nmax %.2f\nmin %.2f\nn %zu\nmissed %zu\n", Rank(ms, 0.5),
                Rank(ms, 0.99), Rank(ms, 1), Rank(ms, 0), n, pressed.size() - n);
    return 0;
  }
  std::vector<std::array<size_t, 3>> parts;  // each game's music from 0.5 s before its start
  for (double began : games)
    if (HeardBy(began + 11) < heard.size()) parts.push_back({HeardBy(began - 0.5), 0, 950});
  Dropouts(parts);
}
