// Start-up on the real layers. The launcher stamps the clock and forks; the
// child execs this program again, which wires SdlShell, SdlAudioDevice,
// SdlFilePlayer and frmMain as the game does, with timing decorators around
// the shell's ShowWindow and every device call, and a channel effect that
// stamps the first audio callback mixing intro.wav. The child then closes the
// window and reports its stamps, relative to the fork, to the launcher.
//
// Usage: bench_startup [runs]   (10 if not given)
#include <SDL2/SDL.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_report.h"
#include "bench/mixer_probe.h"
#include "bench/timed_audio_device.h"
#include "game/frm_main.h"
#include "shell/sdl_shell.h"
#include "sound/sdl_file_player.h"

namespace scurrow::bench {
namespace {

// The real shell, stamping the moment the window has been shown.
class StartupShell : public SdlShell {
 public:
  void ShowWindow() override {
    showCalledAt = NowNs();
    SdlShell::ShowWindow();
    shownAt = NowNs();
  }
  int64_t showCalledAt = 0;
  int64_t shownAt = 0;
};

int RunChild(int64_t forkedAt) {
  const int64_t mainAt = NowNs();
  std::map<std::string, int64_t> marks;
  int64_t loadNs = 0;
  int loads = 0;
  int64_t introPlayedAt = 0;
  MixMark intro;
  bool closing = false;
  int status = 1;
  try {
    StartupShell shell;
    marks["shell ready"] = NowNs();
    SdlAudioDevice real;
    TimedAudioDevice device(real);
    SdlFilePlayer player;
    frmMain game(shell, device, player);
    device.onCall = [&](const std::string& call, const std::string&, int64_t start, int64_t end) {
      if (call == "create root") marks["device start"] = start;
      if (call == "open device") marks["device open"] = end;
      if (call == "load") {
        if (loads == 0) marks["first load"] = start;
        marks["last load"] = end;
        loadNs += end - start;
        ++loads;
      }
    };
    device.afterPlayOnce = [&](const std::string& file, int channel) {
      if (file != "intro.wav") return;
      introPlayedAt = NowNs();
      WatchChannel(channel, intro);
    };
    // Once the introduction has been heard to start, the rest of the run
    // adds nothing: close the window from inside the wait for its end.
    device.onIsPlaying = [&](const std::string& file) {
      if (file != "intro.wav" || closing || !intro.Mixed()) return;
      closing = true;
      SDL_Event close{};
      close.type = SDL_QUIT;
      SDL_PushEvent(&close);
    };
    status = shell.Run(game);
    marks["show called"] = shell.showCalledAt;
    marks["shown"] = shell.shownAt;
  } catch (const RuntimeError& error) {
    std::fprintf(stderr, "bench_startup: %s\n", error.Report().c_str());
    return 1;
  }
  marks["main"] = mainAt;
  marks["intro played"] = introPlayedAt;
  marks["intro mixed"] = intro.firstAt.load();
  for (const auto& [name, at] : marks) {
    std::printf("mark\t%s\t%lld\n", name.c_str(), static_cast<long long>(at ? at - forkedAt : -1));
  }
  std::printf("mark\tload sum\t%lld\n", static_cast<long long>(loadNs));
  std::printf("mark\tloads\t%d\n", loads);
  std::printf("status\t%d\n", status);
  return status;
}

// Forks and execs this program as a child; returns its marks in ms, empty on
// failure.
std::map<std::string, double> Launch(const std::string& self) {
  int channel[2];
  if (pipe(channel) != 0) return {};
  const int64_t forkedAt = NowNs();
  const pid_t child = fork();
  if (child == 0) {
    dup2(channel[1], STDOUT_FILENO);
    close(channel[0]);
    close(channel[1]);
    const std::string stamp = std::to_string(forkedAt);
    execl(self.c_str(), self.c_str(), "--child", stamp.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(channel[1]);
  std::string output;
  char buffer[4096];
  ssize_t got = 0;
  while ((got = read(channel[0], buffer, sizeof buffer)) > 0) output.append(buffer, got);
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (child < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};

  std::map<std::string, double> marks;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string kind, name, value;
    if (!std::getline(fields, kind, '\t') || kind != "mark") continue;
    std::getline(fields, name, '\t');
    std::getline(fields, value, '\t');
    // Stamps are in nanoseconds; the count of loads is a plain number.
    const double number = std::strtod(value.c_str(), nullptr);
    marks[name] = name == "loads" ? number : number / 1e6;
  }
  return marks;
}

}  // namespace
}  // namespace scurrow::bench

int main(int argc, char** argv) {
  using namespace scurrow::bench;
  if (argc == 3 && std::string(argv[1]) == "--child") {
    return RunChild(std::strtoll(argv[2], nullptr, 10));
  }
  const int runs = argc > 1 ? std::atoi(argv[1]) : 10;
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();

  std::vector<double> toMain, toShell, toShown, showing, deviceOpen, loads, pause, introMinusPause,
      playToMix;
  int failures = 0;
  for (int run = 0; run < runs; ++run) {
    const auto m = Launch(self);
    bool complete = true;
    for (const char* name : {"main", "shell ready", "show called", "shown", "device start",
                             "device open", "load sum", "loads", "intro played", "intro mixed"}) {
      complete = complete && m.count(name) != 0 && m.at(name) >= 0;
    }
    if (!complete || m.at("loads") != 8) {
      ++failures;
      continue;
    }
    toMain.push_back(m.at("main"));
    toShell.push_back(m.at("shell ready"));
    toShown.push_back(m.at("shown"));
    showing.push_back(m.at("shown") - m.at("show called"));
    deviceOpen.push_back(m.at("device open") - m.at("device start"));
    loads.push_back(m.at("load sum"));
    pause.push_back(m.at("intro played") - m.at("shown"));
    introMinusPause.push_back(m.at("intro mixed") - pause.back());
    playToMix.push_back(m.at("intro mixed") - m.at("intro played"));
  }

  Row("Start-up: process start to main()", Summarize(toMain), "ms", "", Verdict::kInfo);
  Row("Start-up: process start to hidden window created (SDL video)", Summarize(toShell), "ms", "",
      Verdict::kInfo);
  const Summary shown = Summarize(toShown);
  Row("Start-up: process start to window shown", shown, "ms", "max <= 100 ms",
      Check(shown.n > 0 && shown.max <= 100));
  Row("Start-up: ShowWindow itself (map the window, first paint)", Summarize(showing), "ms", "",
      Verdict::kInfo);
  Row("Start-up: sound device opened (SDL audio + Mix_OpenAudio)", Summarize(deviceOpen), "ms", "",
      Verdict::kInfo);
  const Summary loaded = Summarize(loads);
  Row("Start-up: the eight effects loaded", loaded, "ms", "max <= 30 ms",
      Check(loaded.n > 0 && loaded.max <= 30));
  Row("Start-up: the pause before the introduction (by design ~1 s)", Summarize(pause), "ms", "",
      Verdict::kInfo, 0);
  Row("Start-up: process start to first mix of intro.wav, minus the pause",
      Summarize(introMinusPause), "ms", "", Verdict::kInfo);
  Row("Start-up: intro.wav played to its first mix", Summarize(playToMix), "ms", "",
      Verdict::kInfo);
  Note("Start-up", std::to_string(runs) + " launches, " + std::to_string(failures) + " failed.");
  return failures == 0 ? 0 : 1;
}
