#pragma once

#include <string>
#include <vector>

#include "game/frm_main.h"
#include "tests/support/sound_folder.h"
#include "tests/support/virtual_platform.h"

namespace scurrow::testing {

// frmMain on the virtual platform, with a folder of sounds of known lengths.
struct GameHarness {
  explicit GameHarness(uint64_t seed = 1) : platform(sounds.Path(), seed) {}

  Outcome Start() { return platform.shell.Start(form); }
  Outcome RunUntil(int64_t ms) { return platform.shell.RunUntil(ms); }
  void Key(int64_t at, int16_t code) { platform.shell.KeyDown(at, code); }

  GameState& State() { return form.State(); }
  EventLog& Log() { return platform.log; }
  int64_t Now() const { return platform.clock.ms; }
  std::string SoundPath(const std::string& name) const { return sounds.Path() + "/" + name; }

  // Where the star is, as {column, row}; {0, 0} when there is none.
  std::pair<int16_t, int16_t> Star() {
    if (!State().Board) return {0, 0};
    for (int16_t c = 0; c <= 5; ++c) {
      for (int16_t r = 0; r <= 5; ++r) {
        if (State().Board->Cell(c, r) == "*") return {c, r};
      }
    }
    return {0, 0};
  }

  SoundFolder sounds;
  VirtualPlatform platform;
  frmMain form{platform.shell, platform.audio, platform.player};
};

}  // namespace scurrow::testing
