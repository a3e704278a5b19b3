#pragma once

#include <array>
#include <functional>

#include "shell/shell.h"
#include "sound/audio_device.h"
#include "sound/sound_buffer.h"

namespace scurrow {

// The game's eight sound effects, named by role.
struct SoundBank {
  SoundBuffer SoundBackground{"background.wav"};
  SoundBuffer SoundMove{"move.wav"};
  SoundBuffer SoundFound{"found.wav"};
  SoundBuffer SoundAtEdge{"atedge.wav"};
  SoundBuffer SoundNoFind{"nofind.wav"};
  SoundBuffer SoundAgain{"again.wav"};
  SoundBuffer SoundNextLevel{"nextlevel.wav"};
  SoundBuffer SoundIntro{"intro.wav"};

  // All eight in load order, which is also the order of release.
  std::array<std::reference_wrapper<SoundBuffer>, 8> InLoadOrder();
};

// Owns the sound device and the bank for the whole run, and ends the program.
class Module1 {
 public:
  Module1(Shell& shell, AudioDevice& device) : shell_(shell), device_(device) {}

  SoundBank& Bank() { return bank_; }

  // Opens the sound system and binds it to the main window.
  void CreateSoundDevice(WindowHandle window);
  // Loads the eight effects from the program folder, in load order.
  void LoadSounds();
  // Stops the music, releases every sound object and ends the program.
  [[noreturn]] void Shutdown();

 private:
  Shell& shell_;
  AudioDevice& device_;
  SoundBank bank_;
};

}  // namespace scurrow
