// Start-up to the window shown, on the real layers wired as app/main.cpp wires
// them. SCURROW_BENCH_T0 holds the wall-clock time, in seconds since the
// epoch, at which the launcher started this process (main() if not given).
// Prints "window_ms" once the window is shown, then closes it.
#include <SDL2/SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "game/frm_main.h"
#include "shell/sdl_shell.h"
#include "sound/sdl_audio_device.h"
#include "sound/sdl_file_player.h"

namespace {

double EpochSeconds() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

class StampingShell : public scurrow::SdlShell {
 public:
  void ShowWindow() override {
    SdlShell::ShowWindow();
    std::printf("window_ms %.2f\n", (EpochSeconds() - start) * 1000);
    // The pause that follows in Form_Load takes the close request and ends it.
    SDL_Event close{.type = SDL_QUIT};
    SDL_PushEvent(&close);
  }

  double start = 0;
};

}  // namespace

int main() {
  const char* launched = std::getenv("SCURROW_BENCH_T0");
  const double start = launched != nullptr ? std::atof(launched) : EpochSeconds();
  try {
    StampingShell shell;
    shell.start = start;
    scurrow::SdlAudioDevice device;
    scurrow::SdlFilePlayer player;
    scurrow::frmMain form(shell, device, player);
    shell.Run(form, [] {});
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_window_shown: %s\n", error.what());
    return 1;
  }
}
