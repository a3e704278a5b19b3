// The game wired as app/main.cpp wires it, with the real SDL2 shell, mixer and
// player, except that every sound operation is also written to the event file
// named on the command line. Built for the end-to-end tests only; the shipped
// program takes no arguments.
#include <cstdio>
#include <exception>

#include "game/frm_main.h"
#include "shell/sdl_shell.h"
#include "sound/sdl_audio_device.h"
#include "sound/sdl_file_player.h"
#include "tests/e2e/event_file.h"
#include "tests/e2e/logging_sound.h"

int main(int argc, char** argv) {
  using namespace scurrow;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s EVENT-FILE\n", argv[0]);
    return 2;
  }
  try {
    e2e::EventFile events(argv[1]);
    try {
      SdlShell shell;
      SdlAudioDevice device;
      e2e::LoggingAudioDevice loggedDevice(device, events);
      SdlFilePlayer player;
      e2e::LoggingFilePlayer loggedPlayer(player, events);
      frmMain form(shell, loggedDevice, loggedPlayer);
      const int status = shell.Run(form);
      events.Write("exit " + std::to_string(status));
      return status;
    } catch (const RuntimeError& error) {
      events.Write("error " + error.Report());
      ReportUntrappedError(error, false);
      return 1;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
    return 2;
  }
}
