// The real SDL2 shell on a private X display (tools/with-xvfb), with real key presses from
// xdotool, and the real SDL2_mixer device and player on SDL's dummy audio driver.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>

#include "shell/player_message.h"
#include "shell/sdl_shell.h"
#include "sound/default_sound.h"
#include "sound/sdl_audio_device.h"
#include "sound/sdl_file_player.h"

namespace scurrow {
namespace {

namespace fs = std::filesystem;

// A main window that notes its keys (with the shift state in the thousands: 1 Shift, 2 Ctrl, 4 Alt)
// and close requests; its load handler is the test's body.
struct ScriptedForm : FormEvents {
  void Form_Load() override { load(); }
  void Form_KeyDown(int16_t& code, int16_t& shift) override { keys.push_back(code + 1000 * shift); }
  void Form_Unload(int16_t&) override { ++unloads; }
  void Timer1_Timer() override {}

  std::function<void()> load;
  std::vector<int> keys;
  int unloads = 0;
};

TEST(SdlShell, AWindowThatTakesRealKeysOnAnyLayoutAndCloseRequests) {
  SdlShell shell;
  ScriptedForm form;
  setenv("TZ", "UTC", 1);  // where the seconds since midnight are those since the epoch's days
  const float clock = shell.Clock();
  EXPECT_NEAR(clock, std::time(nullptr) % 86400, 2);
  SDL_Delay(200);
  EXPECT_NEAR(shell.Clock() - clock, 0.2, 0.1);  // with its fraction of a second
  // {X keyboard layout, keys for xdotool (names, or X key codes: 29 and 57 are where Y and N
  // are on a US keyboard, 38 and 52 where A and Z are; 83, 80, 85, 88 and 84 the numpad's 4, 8, 6,
  // 2 and 5), codes}. Keys the game never reads (modifiers, the numpad's 5, its digits with
  // NumLock on) reach it not at all.
  using Codes = std::vector<int>;
  const std::vector<std::tuple<std::string, std::string, Codes>> typing = {
      {"us", "Left Up Right Down y n shift+y ctrl+n alt+y",
       Codes{37, 38, 39, 40, 89, 78, 1089, 2078, 4089}},
      {"ru", "29 57 38 52", Codes{89, 78, 65, 90}},
      {"de", "29 52", Codes{90, 89}},
      {"us", "83 80 85 88 84 Num_Lock 83 80 Num_Lock Left", Codes{37, 38, 39, 40, 37}}};
  const auto pump = [&](uint64_t ms, size_t keys) {  // until `keys` keys came, or `ms` passed
    for (auto end = SDL_GetTicks64() + ms; SDL_GetTicks64() < end && form.keys.size() < keys;)
      shell.PumpEvents();
  };
  form.load = [&] {
    shell.ShowWindow();
    for (const auto& [layout, keys, codes] : typing) {
      ASSERT_EQ(std::system(("setxkbmap " + layout).c_str()), 0);
      pump(300, 1);  // focus, and the new layout, before the keys come
      form.keys.clear();
      ASSERT_EQ(std::system(("xdotool key " + keys).c_str()), 0);
      pump(5000, codes.size());
      EXPECT_EQ(form.keys, codes) << layout << ": " << keys;
    }
    // One pass of the pump dispatches every event that waits.
    SDL_Event key{.type = SDL_KEYDOWN};
    key.key.keysym.sym = SDLK_LEFT;
    for (int n = 0; n < 3; ++n) SDL_PushEvent(&key);
    form.keys.clear();
    shell.PumpEvents();
    EXPECT_EQ(form.keys, std::vector<int>(3, 37));
    SDL_Event close{.type = SDL_WINDOWEVENT};
    close.window.event = SDL_WINDOWEVENT_CLOSE,
    close.window.windowID = SDL_GetWindowID(shell.Window());
    SDL_PushEvent(&close);
  };
  int startedUp = 0;
  shell.Run(form, [&] { ++startedUp; });  // the close request unloads the window and ends the loop
  EXPECT_EQ(std::pair(form.unloads, startedUp), std::pair(1, 1));
  // A file in the root folder: the folder keeps its one slash.
  EXPECT_EQ(
      PlayerMessage(
          RuntimeError(ErrorNumber::kFileNotFound, "", Trouble::kMissingFile, "/intro.wav"), false),
      "Scurrow cannot start: its sound file \"intro.wav\" in the folder \"/\" is missing. To "
      "put it right, install Scurrow again.");
}

TEST(SdlAudio, TheShippedSoundsPlayOnceOrLoopUntilStoppedAndTheWordsOneAfterAnother) {
  SdlAudioDevice device;
  device.CreateRoot();
  unsetenv("PULSE_LATENCY_MSEC");
  device.OpenDevice();
  EXPECT_NE(getenv("PULSE_LATENCY_MSEC"), nullptr);  // the sound server is asked for more buffer
  for (const auto& file : fs::directory_iterator(SCURROW_SOUNDS_DIR)) device.Load(file.path());
  const BufferId cue = device.Load(SCURROW_SOUNDS_DIR "/found.wav");
  const BufferId music = device.Load(SCURROW_SOUNDS_DIR "/background.wav");
  device.PlayOnce(cue);
  device.PlayLooping(music);
  EXPECT_TRUE(device.IsPlaying(cue));
  EXPECT_FALSE(device.IsPlaying(music));  // a looping sound never counts as playing
  const uint64_t start = SDL_GetTicks64();
  while (device.IsPlaying(cue) && SDL_GetTicks64() < start + 5000) SDL_Delay(1);
  EXPECT_NEAR(SDL_GetTicks64() - start, 680, 200);  // once: found.wav lasts 0.68 s, then it stops
  device.PlayLooping(cue);
  SDL_Delay(900);  // looping, it goes on past its end
  EXPECT_TRUE(Mix_Playing(SdlAudioDevice::ChannelOf(cue)) && !device.IsPlaying(cue));
  device.PlayLooping(music);  // already looping: it goes on undisturbed
  EXPECT_TRUE(Mix_Playing(SdlAudioDevice::ChannelOf(music)));
  device.Stop(music);
  device.Rewind(music);
  EXPECT_FALSE(Mix_Playing(SdlAudioDevice::ChannelOf(music)));
  // The player waits for each word, and beeps for one that it cannot play.
  SDL_AudioSpec loaded;  // the format of the WAV file loaded last
  Uint8* samples = nullptr;
  uint32_t bytes = 0;
  ASSERT_TRUE(SDL_LoadWAV(SCURROW_SOUNDS_DIR "/5.wav", &loaded, &samples, &bytes));
  SDL_FreeWAV(samples);
  fs::current_path(SCURROW_SOUNDS_DIR);  // the words are played by their bare names
  SdlFilePlayer player;
  for (auto [word, ms] : {std::pair{"5.wav", bytes * 1000 / (loaded.freq * loaded.channels * 2)},
                          {"missing.wav", uint32_t{kDefaultSoundMs}}}) {
    const uint64_t asked = SDL_GetTicks64();
    player.PlayAndWait(word);
    const uint64_t took = SDL_GetTicks64() - asked;
    EXPECT_TRUE(took > ms * 8 / 10 && took < ms + 300) << word << ": " << took << " ms";
  }
  // The beep fades in and out: its first and last samples are silent, so it never clicks.
  const std::vector<uint8_t> beep = DefaultSoundWav();
  EXPECT_EQ(beep[44] | beep[45] | beep[beep.size() - 2] | beep.back(), 0);
}

}  // namespace
}  // namespace scurrow
