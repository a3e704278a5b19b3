// The real SDL2 shell on a private X display (tools/with-xvfb), with real key presses from
// xdotool, and the real SDL2_mixer device and player on SDL's dummy audio driver.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
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
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(folder / name, std::ios::binary) << bytes;
    return (folder / name).string();
  }
  // A 16-bit mono WAV file of `frames` frames of silence.
  static std::string Wav(uint32_t frames) {
    const auto le = [](uint32_t value) { return std::string(reinterpret_cast<char*>(&value), 4); };
    return "RIFF" + le(36 + frames * 2) + "WAVEfmt " + le(16) + le(0x10001) + le(44100) +
           le(88200) + le(0x100002) + "data" + le(frames * 2) + std::string(frames * 2, 0);
  }
  bool Sounding(BufferId buffer) { return Mix_Playing(SdlAudioDevice::ChannelOf(buffer)); }

  const fs::path folder = fs::temp_directory_path() / ("scurrow-test-" + std::to_string(getpid()));
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

TEST_F(SdlAudio, DamagedFilesFailToLoadNamingThePathAndTheReason) {
  const std::string sound = Wav(22050);
  std::string overclaim = sound, unknown = sound;
  overclaim.replace(40, 4, "\xF0\xF0\xF0\x7F");  // a data chunk of 2 GB
  unknown.replace(20, 2, "\x34\x12");            // an encoding nobody knows
  Write("empty.wav", "");
  Write("silent.wav", Wav(0));
  Write("short.wav", sound.substr(0, 20000));
  Write("2gb.wav", overclaim);
  Write("unknown.wav", unknown);
  Write("noise.wav", std::string(4096, 'Z'));
  fs::create_directory(folder / "folder.wav");
  mkfifo((folder / "pipe.wav").c_str(), 0600);
  for (auto [name, reason] : {std::pair{"missing.wav", "No such file or directory"},
                              {"empty.wav", "the file is empty"},
                              {"silent.wav", "the file holds no sound"},
                              {"short.wav", "the file is cut short"},
                              {"2gb.wav", "the file is cut short"},
                              {"unknown.wav", "Unknown WAVE format"},
                              {"noise.wav", "not a WAV file"},
                              {"folder.wav", "is a directory"},
                              {"pipe.wav", "not a regular file"}}) {
    const std::string path = (folder / name).string();
    try {
      device.Load(path);
      ADD_FAILURE() << name << " loaded";
    } catch (const RuntimeError& error) {
      EXPECT_NE(std::string(error.what()).find("'" + path + "': " + reason), std::string::npos)
          << error.what();
    }
  }
}

TEST_F(SdlAudio, ThePlayerWaitsForEachWordAndBeepsForOneItCannotPlay) {
  const fs::path before = fs::current_path();
  fs::current_path(folder);
  Write("5.wav", Wav(44100 / 2));
  Write("junk.wav", std::string(4096, 'Z'));
  SdlFilePlayer player;
  for (auto [word, ms] :
       {std::pair{"5.wav", 500}, {"junk.wav", kDefaultSoundMs}, {"missing.wav", kDefaultSoundMs}}) {
    const uint64_t start = SDL_GetTicks64();
    player.PlayAndWait(word);
    const uint64_t took = SDL_GetTicks64() - start;
    EXPECT_TRUE(took > ms * 8 / 10u && took < ms + 300u) << word << ": " << took << " ms";
  }
  fs::current_path(before);
  // The beep itself: a whole WAV file, soft, starting and ending in silence.
  const std::vector<uint8_t> beep = DefaultSoundWav();
  uint32_t riffSize = 0, bytes = 0;
  std::memcpy(&riffSize, &beep[4], 4);
  EXPECT_EQ(riffSize, beep.size() - 8);
  SDL_AudioSpec spec;
  Uint8* samples = nullptr;
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
