// The real SDL2 shell on a private X display (tools/with-xvfb), with real key presses from
// xdotool, and the real SDL2_mixer device and player on SDL's dummy audio driver.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <map>

#include "shell/key_codes.h"
#include "shell/sdl_shell.h"
#include "sound/default_sound.h"
#include "sound/sdl_audio_device.h"
#include "sound/sdl_file_player.h"

namespace scurrow {
namespace {

namespace fs = std::filesystem;

// A main window that notes its keys and close requests; its load handler is the test's body.
struct ScriptedForm : FormEvents {
  void Form_Load() override { load(); }
  void Form_KeyDown(int16_t& keyCode, int16_t&) override { keys.push_back(keyCode); }
  void Form_Unload(int16_t&) override { ++unloads; }
  void Timer1_Timer() override {}

  std::function<void()> load;
  std::vector<int16_t> keys;
  int unloads = 0;
};

TEST(SdlShell, AHiddenWindowThatTakesRealKeysOnAnyLayoutAndCloseRequests) {
  SdlShell shell;
  ScriptedForm form;
  int width = 0, height = 0;
  SDL_GetWindowSize(shell.Window(), &width, &height);
  EXPECT_EQ(std::tuple(std::string(SDL_GetWindowTitle(shell.Window())), width, height),
            std::tuple("Scurrow", 312, 213));
  EXPECT_TRUE(SDL_GetWindowFlags(shell.Window()) & SDL_WINDOW_HIDDEN);
  EXPECT_EQ(shell.ProgramFolder(), fs::read_symlink("/proc/self/exe").parent_path().string());
  // {X keyboard layout, keys for xdotool (names, or X key codes: 29 and 57 are where Y and N
  // are on a US keyboard, 52 is Z; 83, 80, 85 and 88 the numpad's 4, 8, 6 and 2), codes}.
  const std::vector<std::tuple<std::string, std::string, std::vector<int16_t>>> typing = {
      {"us",
       "Left Up Right Down y n shift+y ctrl+n alt+y",
       {37, 38, 39, 40, 89, 78, 16, 89, 17, 78, 18, 89}},
      {"ru", "29 57", {89, 78}},
      {"de", "29 52", {90, 89}},
      {"us",
       "83 80 85 88 Num_Lock 83 80 85 88 Num_Lock",
       {37, 38, 39, 40, 144, 100, 104, 102, 98, 144}}};
  const auto pump = [&](uint64_t ms, size_t keys) {
    for (const uint64_t end = SDL_GetTicks64() + ms;
         SDL_GetTicks64() < end && form.keys.size() < keys;) {
      shell.PumpEvents();
    }
  };
  form.load = [&] {
    shell.ShowWindow();
    EXPECT_TRUE(SDL_GetWindowFlags(shell.Window()) & SDL_WINDOW_SHOWN);
    for (const auto& [layout, keys, codes] : typing) {
      ASSERT_EQ(std::system(("setxkbmap " + layout).c_str()), 0);
      pump(300, 1);  // focus, and the new layout, before the keys come
      form.keys.clear();
      ASSERT_EQ(std::system(("xdotool key " + keys).c_str()), 0);
      pump(5000, codes.size());
      EXPECT_EQ(form.keys, codes) << layout << ": " << keys;
    }
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = SDL_GetWindowID(shell.Window());
    SDL_PushEvent(&close);
  };
  EXPECT_EQ(shell.Run(form), 0);  // the close request unloads the window and ends the loop
  EXPECT_EQ(form.unloads, 1);
}

TEST(SdlShell, EveryKeyOfAFullKeyboardHasACodeAndOnlyLeftAndRightTwinsShareOne) {
  SdlShell shell;  // SDL's keymap of the display
  std::map<int16_t, int> keys;
  for (int place = SDL_SCANCODE_A; place <= SDL_SCANCODE_RGUI; ++place) {
    // The keys of a US keyboard: letters to the numpad, then the modifiers.
    if ((place > SDL_SCANCODE_APPLICATION && place < SDL_SCANCODE_LCTRL) ||
        place == SDL_SCANCODE_NONUSHASH || place == SDL_SCANCODE_NONUSBACKSLASH) {
      continue;
    }
    const auto scancode = static_cast<SDL_Scancode>(place);
    const int16_t code = VirtualKeyCode({scancode, SDL_GetKeyFromScancode(scancode), KMOD_NUM, 0});
    EXPECT_NE(code, 0) << SDL_GetScancodeName(scancode);
    ++keys[code];
  }
  for (auto [code, count] : keys)
    EXPECT_EQ(count, code == 13 || (code >= 16 && code <= 18) ? 2 : 1) << code;
}

class SdlAudio : public ::testing::Test {
 protected:
  void SetUp() override {
    device.CreateRoot();
    device.OpenDevice();
    device.BindToWindow(1);
  }
  bool Sounding(BufferId buffer) { return Mix_Playing(SdlAudioDevice::ChannelOf(buffer)); }

  SdlAudioDevice device;
};

TEST_F(SdlAudio, TheShippedSoundsLoadAndPlayOnceOrLoopUntilStopped) {
  for (const auto& file : fs::directory_iterator(SCURROW_SOUNDS_DIR)) device.Load(file.path());
  const BufferId cue = device.Load(SCURROW_SOUNDS_DIR "/move.wav");
  const BufferId music = device.Load(SCURROW_SOUNDS_DIR "/background.wav");
  device.PlayOnce(cue);
  device.PlayLooping(music);
  EXPECT_TRUE(device.IsPlaying(cue));
  EXPECT_FALSE(device.IsPlaying(music));  // a looping sound never counts as playing
  for (int ms = 0; device.IsPlaying(cue) && ms < 5000; ++ms) SDL_Delay(1);
  EXPECT_FALSE(Sounding(cue));  // it stops at its end by itself
  device.PlayLooping(music);    // already looping: it goes on undisturbed
  EXPECT_TRUE(Sounding(music));
  device.Stop(music);
  device.Rewind(music);
  EXPECT_FALSE(Sounding(music));
  device.Release(cue);
  EXPECT_THROW(device.PlayOnce(cue), RuntimeError);
}

TEST_F(SdlAudio, ThePlayerWaitsForEachWordAndBeepsForOneItCannotPlay) {
  const std::vector<uint8_t> beep = DefaultSoundWav();
  SDL_AudioSpec spec;
  Uint8* samples = nullptr;
  uint32_t riffSize = 0, bytes = 0;
  ASSERT_TRUE(SDL_LoadWAV(SCURROW_SOUNDS_DIR "/5.wav", &spec, &samples, &bytes));
  SDL_FreeWAV(samples);
  const fs::path before = fs::current_path();
  fs::current_path(SCURROW_SOUNDS_DIR);  // the words are played by their bare names
  SdlFilePlayer player;
  for (auto [word, ms] : {std::pair{"5.wav", bytes * 1000 / (spec.freq * spec.channels * 2)},
                          {"missing.wav", uint32_t{kDefaultSoundMs}}}) {
    const uint64_t start = SDL_GetTicks64();
    player.PlayAndWait(word);
    const uint64_t took = SDL_GetTicks64() - start;
    EXPECT_TRUE(took > ms * 8 / 10 && took < ms + 300) << word << ": " << took << " ms";
  }
  fs::current_path(before);
  // The beep itself: a whole WAV file, soft, starting and ending in silence.
  std::memcpy(&riffSize, &beep[4], 4);
  EXPECT_EQ(riffSize, beep.size() - 8);
  ASSERT_TRUE(
      SDL_LoadWAV_RW(SDL_RWFromConstMem(beep.data(), beep.size()), 1, &spec, &samples, &bytes));
  EXPECT_EQ(bytes, beep.size() - 44);
  EXPECT_EQ(bytes * 1000 / (spec.freq * spec.channels * 2), uint32_t{kDefaultSoundMs});
  const auto* pcm = reinterpret_cast<const int16_t*>(samples);
  const int peak = *std::max_element(pcm, pcm + bytes / 2);
  EXPECT_TRUE(std::abs(pcm[0]) < 300 && std::abs(pcm[bytes / 2 - 1]) < 300 && peak > 8000 &&
              peak < 11000)
      << peak;
  SDL_FreeWAV(samples);
}

}  // namespace
}  // namespace scurrow
