// The SDL2_mixer device and the blocking player for real, on SDL's dummy
// audio driver, with WAV files of known lengths.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "shell/runtime_error.h"
#include "sound/default_sound.h"
#include "sound/sdl_audio_device.h"
#include "sound/sdl_file_player.h"
#include "tests/support/sound_folder.h"

namespace scurrow {
namespace {

using testing::SoundFolder;

class SdlAudio : public ::testing::Test {
 protected:
  void SetUp() override {
    device.CreateRoot();
    device.OpenDevice();
    device.BindToWindow(1);
  }
  // Milliseconds until `buffer` stops playing, polling every millisecond.
  uint64_t MsUntilSilent(BufferId buffer) {
    const uint64_t start = SDL_GetTicks64();
    while (device.IsPlaying(buffer) && SDL_GetTicks64() - start < 10'000) SDL_Delay(1);
    return SDL_GetTicks64() - start;
  }

  SoundFolder sounds;
  SdlAudioDevice device;
};

TEST_F(SdlAudio, LoadsTheEightEffects) {
  for (const auto& [name, length] : SoundFolder::EffectLengths()) {
    EXPECT_NO_THROW(device.Load(sounds.Path() + "/" + name)) << name;
  }
}

TEST_F(SdlAudio, LoadsAndPlaysTheShippedRecordings) {
  for (const auto& [name, length] : SoundFolder::EffectLengths()) {
    const BufferId buffer = device.Load(std::string(SCURROW_SOUNDS_DIR) + "/" + name);
    device.PlayOnce(buffer);
    EXPECT_TRUE(device.IsPlaying(buffer)) << name;
    device.Stop(buffer);
  }
}

TEST_F(SdlAudio, PlayOnceStopsAfterAboutTheFilesLength) {
  sounds.Write("tone.wav", 300);
  const BufferId buffer = device.Load(sounds.Path() + "/tone.wav");
  EXPECT_FALSE(device.IsPlaying(buffer));
  device.PlayOnce(buffer);
  EXPECT_TRUE(device.IsPlaying(buffer));
  // The dummy driver runs a few percent fast and marks the end a buffer
  // early; the bounds only rule out a sound cut short or never ending.
  const uint64_t ms = MsUntilSilent(buffer);
  EXPECT_GT(ms, 200u);
  EXPECT_LT(ms, 2000u);
}

TEST_F(SdlAudio, LoopingStaysOnUntilStoppedAndRewindAllowsAReplay) {
  sounds.Write("short.wav", 50);
  const BufferId buffer = device.Load(sounds.Path() + "/short.wav");
  device.PlayLooping(buffer);
  SDL_Delay(300);
  EXPECT_TRUE(device.IsPlaying(buffer));
  device.PlayLooping(buffer);  // already looping: keeps going
  EXPECT_TRUE(device.IsPlaying(buffer));
  device.Stop(buffer);
  EXPECT_FALSE(device.IsPlaying(buffer));
  device.Rewind(buffer);
  device.PlayOnce(buffer);
  EXPECT_TRUE(device.IsPlaying(buffer));
  EXPECT_LT(MsUntilSilent(buffer), 2000u);
}

TEST_F(SdlAudio, BuffersSoundIndependently) {
  const BufferId music = device.Load(sounds.Path() + "/background.wav");
  const BufferId cue = device.Load(sounds.Path() + "/move.wav");
  device.PlayLooping(music);
  device.PlayOnce(cue);
  EXPECT_TRUE(device.IsPlaying(music));
  EXPECT_TRUE(device.IsPlaying(cue));
  MsUntilSilent(cue);
  EXPECT_TRUE(device.IsPlaying(music));
}

TEST_F(SdlAudio, AFileThatCannotBeLoadedIsAnErrorNamingItAndTheReason) {
  std::filesystem::create_directory(sounds.Path() + "/folder.wav");
  {
    std::ofstream junk(sounds.Path() + "/junk.wav", std::ios::binary);
    junk << "this is not a sound file at all, not even close";
  }
  struct Case {
    std::string name;
    std::string reason;
  };
  for (const Case& c : {Case{"missing.wav", "No such file"}, Case{"folder.wav", "directory"},
                        Case{"junk.wav", ""}}) {
    const std::string path = sounds.Path() + "/" + c.name;
    try {
      device.Load(path);
      ADD_FAILURE() << c.name << " loaded";
    } catch (const RuntimeError& error) {
      const std::string text = error.what();
      EXPECT_NE(text.find(path), std::string::npos) << text;
      EXPECT_NE(text.find(c.reason), std::string::npos) << text;
    }
  }
}

TEST_F(SdlAudio, AReleasedBufferCannotBeUsed) {
  const BufferId buffer = device.Load(sounds.Path() + "/move.wav");
  device.Release(buffer);
  EXPECT_THROW(device.PlayOnce(buffer), RuntimeError);
  device.ReleaseDevice();
  device.ReleaseRoot();
}

TEST_F(SdlAudio, ThePlayerReturnsAfterTheWordAndPlaysTheDefaultForAMissingOne) {
  const auto original = std::filesystem::current_path();
  std::filesystem::current_path(sounds.Path());
  SdlFilePlayer player;
  const uint64_t start = SDL_GetTicks64();
  player.PlayAndWait("5.wav");
  player.PlayAndWait("missing.wav");
  player.PlayAndWait("points.wav");
  const uint64_t total = SDL_GetTicks64() - start;
  std::filesystem::current_path(original);
  const uint64_t expected = 2 * SoundFolder::kWordMs + kDefaultSoundMs;
  // Loose bounds: the call blocks for the sounds, and does not wait long past.
  EXPECT_GT(total, expected * 8 / 10);
  EXPECT_LT(total, expected * 2);
}

}  // namespace
}  // namespace scurrow
