// Scurrow: find the hidden star by ear before time runs out.
#include "game/frm_main.h"
#include "shell/error_report.h"
#include "shell/sdl_shell.h"
#include "sound/sound_output.h"

int main(int, char**) {
  using namespace scurrow;
  bool startedUp = false;
  try {
    SdlShell shell;
    const SoundOutput sound = MakeSoundOutput();
    frmMain form(shell, *sound.device, *sound.player);
    shell.Run(form, [&startedUp] { startedUp = true; });
    return 0;
  } catch (...) {
    // The sound device and the window are gone by now: the report comes in silence, alone.
    return ReportFailure(startedUp);
  }
}
