#include "sound/module1.h"

namespace scurrow {

std::array<std::reference_wrapper<SoundBuffer>, 8> SoundBank::InLoadOrder() {
  return {SoundBackground, SoundMove,  SoundFound,     SoundAtEdge,
          SoundNoFind,     SoundAgain, SoundNextLevel, SoundIntro};
}

void Module1::CreateSoundDevice(WindowHandle window) {
  device_.CreateRoot();
  device_.OpenDevice();
  device_.BindToWindow(window);
}

void Module1::LoadSounds() {
  for (SoundBuffer& buffer : bank_.InLoadOrder()) {
    buffer.Load(device_, shell_.ProgramFolder() + "/" + buffer.FileName());
  }
}

void Module1::Shutdown() {
  bank_.SoundBackground.Stop();
  for (SoundBuffer& buffer : bank_.InLoadOrder()) buffer.Release();
  device_.ReleaseDevice();
  device_.ReleaseRoot();
  shell_.EndProgram();
}

}  // namespace scurrow
