// Scurrow: find the hidden star by ear before time runs out.
#include "game/frm_main.h"
#include "shell/error_report.h"
#include "shell/sdl_shell.h"
#include "sound/sdl_audio_device.h"
#include "sound/sdl_file_player.h"

int main(int, char**) {
  using namespace scurrow;
  try {
    SdlShell shell;
    SdlAudioDevice device;
    SdlFilePlayer player;
    frmMain form(shell, device, player);
    return shell.Run(form);
  } catch (...) {
    // No window, so no display to show a dialog on.
    ReportUntrappedError(CurrentFailure(), false);
    return 1;
  }
}
