// Damaged and unusual sound files on the real SDL2_mixer device and player,
// on SDL's dummy audio driver: every effect file damaged in every way ends
// its loading with an error naming the file and the reason; unusual but
// valid files play as written; a damaged number word gives way to the
// built-in sound and the speech goes on.
#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "shell/runtime_error.h"
#include "sound/mixer_chunk.h"
#include "sound/sdl_audio_device.h"
#include "sound/sdl_file_player.h"
#include "tests/support/wav_writer.h"

namespace scurrow::reliability {

using namespace scurrow::testing;
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kEffects = {"background.wav", "move.wav",   "found.wav",
                                           "atedge.wav",     "nofind.wav", "again.wav",
                                           "nextlevel.wav",  "intro.wav"};

std::string TestName(std::string text) {
  for (char& c : text) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return text;
}

// A fresh folder, gone with the test.
class TempFolder {
 public:
  TempFolder() {
    std::random_device device;
    path_ = fs::temp_directory_path() /
            ("scurrow-reliability-" + std::to_string(device()) + std::to_string(device()));
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

// The real device, opened as the game opens it.
class RealDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    device.CreateRoot();
    device.OpenDevice();
    device.BindToWindow(1);
  }

  TempFolder folder;
  SdlAudioDevice device;
};

// --- every effect, damaged in every way ---

class DamagedEffect : public RealDevice,
                      public ::testing::WithParamInterface<std::tuple<std::string, DamageKind>> {};

TEST_P(DamagedEffect, LoadFailsNamingTheFullPathAndTheReason) {
  const auto& [name, kind] = GetParam();
  const fs::path path = folder.Path() / name;
  // The shipped recording, damaged.
  fs::copy_file(fs::path(SCURROW_SOUNDS_DIR) / name, path);
  WriteDamaged(path, kind.damage);

  try {
    device.Load(path.string());
    ADD_FAILURE() << name << " (" << kind.name << ") loaded";
  } catch (const RuntimeError& error) {
    const std::string text = error.what();
    EXPECT_EQ(error.Number(), ErrorNumber::kFileNotFound);
    EXPECT_NE(text.find("'" + path.string() + "'"), std::string::npos) << text;
    EXPECT_NE(text.find(kind.reason), std::string::npos) << text;
  }

  // The device is none the worse: the intact recording loads and plays.
  const BufferId intact = device.Load((fs::path(SCURROW_SOUNDS_DIR) / name).string());
  device.PlayOnce(intact);
  EXPECT_TRUE(device.IsPlaying(intact));
}

INSTANTIATE_TEST_SUITE_P(EveryEffect, DamagedEffect,
                         ::testing::Combine(::testing::ValuesIn(kEffects),
                                            ::testing::ValuesIn(DamageKinds())),
                         [](const auto& info) {
                           return TestName(std::get<0>(info.param) + "_" +
                                           std::get<1>(info.param).name);
                         });

// --- valid files of unusual formats ---

// The samples of a loaded chunk, 16-bit stereo as the mixer holds them.
std::vector<int16_t> Samples(const Mix_Chunk& chunk) {
  std::vector<int16_t> samples(chunk.alen / 2);
  std::memcpy(samples.data(), chunk.abuf, samples.size() * 2);
  return samples;
}

class UnusualFormat : public RealDevice, public ::testing::WithParamInterface<WavFormat> {};

TEST_P(UnusualFormat, LoadsWholeAndUngarbledAndPlays) {
  constexpr int kMs = 300;
  const fs::path path = folder.Path() / "intro.wav";
  WriteBytes(path, ToneWav(GetParam(), kMs));

  std::string reason;
  const ChunkPtr chunk = LoadChunk(path.string(), reason);
  ASSERT_TRUE(chunk) << reason;
  // All of it, converted to the mixer's 44.1 kHz 16-bit stereo.
  const double frames = chunk->alen / 4.0;
  const double expected = SdlAudioDevice::kSampleRate * kMs / 1000.0;
  EXPECT_NEAR(frames, expected, expected * 0.01);
  // The tone as written: its level, and smooth from sample to sample on both
  // sides, which no misread format would be.
  const std::vector<int16_t> samples = Samples(*chunk);
  for (int side = 0; side < 2; ++side) {
    int peak = 0;
    int jump = 0;
    for (size_t i = side + 2; i < samples.size(); i += 2) {
      peak = std::max(peak, std::abs(int{samples[i]}));
      jump = std::max(jump, std::abs(samples[i] - samples[i - 2]));
    }
    EXPECT_GT(peak, 32767 * kToneAmplitude * 0.3) << "side " << side;
    EXPECT_LT(peak, 32767 * kToneAmplitude * 1.2) << "side " << side;
    EXPECT_LT(jump, peak / 5) << "side " << side;
  }

  const BufferId buffer = device.Load(path.string());
  device.PlayOnce(buffer);
  EXPECT_TRUE(device.IsPlaying(buffer));
}

INSTANTIATE_TEST_SUITE_P(Valid, UnusualFormat, ::testing::ValuesIn(UnusualFormats()),
                         [](const auto& info) { return TestName(info.param.name); });

// --- number words through the blocking player ---

// Collects what the mixer takes from the player's channel, before volume.
class ChannelRecorder {
 public:
  ChannelRecorder() {
    Mix_RegisterEffect(SdlAudioDevice::kPlayerChannel, &ChannelRecorder::Take, nullptr, this);
  }
  ~ChannelRecorder() { Mix_UnregisterEffect(SdlAudioDevice::kPlayerChannel, &Take); }
  ChannelRecorder(const ChannelRecorder&) = delete;
  ChannelRecorder& operator=(const ChannelRecorder&) = delete;

  std::vector<uint8_t> Bytes() {
    // The mixer drops a channel's effects once it has finished; this waits
    // for the mixing thread to let go of them.
    Mix_UnregisterEffect(SdlAudioDevice::kPlayerChannel, &Take);
    std::lock_guard lock(mutex_);
    return bytes_;
  }

 private:
  static void Take(int, void* stream, int length, void* self) {
    auto* recorder = static_cast<ChannelRecorder*>(self);
    const auto* bytes = static_cast<const uint8_t*>(stream);
    std::lock_guard lock(recorder->mutex_);
    recorder->bytes_.insert(recorder->bytes_.end(), bytes, bytes + length);
  }

  std::mutex mutex_;
  std::vector<uint8_t> bytes_;
};

// What the player sounded for `word`.
std::vector<uint8_t> Speak(SdlFilePlayer& player, const std::string& word) {
  ChannelRecorder recorder;
  player.PlayAndWait(word);
  return recorder.Bytes();
}

// A chunk's bytes as the mixer plays them: whole frames only.
std::vector<uint8_t> PlayedBytes(const Mix_Chunk& chunk) {
  return std::vector<uint8_t>(chunk.abuf, chunk.abuf + chunk.alen / 4 * 4);
}

class Words : public RealDevice {
 protected:
  void SetUp() override {
    RealDevice::SetUp();
    WriteBytes(folder.Path() / "points.wav", ToneWav(PlainFormat(), 120));
    original_ = fs::current_path();
    fs::current_path(folder.Path());
    std::string reason;
    const ChunkPtr points = LoadChunk("points.wav", reason);
    ASSERT_TRUE(points) << reason;
    pointsBytes = PlayedBytes(*points);
  }
  void TearDown() override { fs::current_path(original_); }

  SdlFilePlayer player;
  std::vector<uint8_t> pointsBytes;

 private:
  fs::path original_;
};

class DamagedWord : public Words, public ::testing::WithParamInterface<DamageKind> {};

TEST_P(DamagedWord, TheDefaultSoundPlaysInItsPlaceAndTheSpeechGoesOn) {
  WriteBytes(folder.Path() / "50.wav", ToneWav(PlainFormat(), 200));
  WriteDamaged(folder.Path() / "50.wav", GetParam().damage);
  const ChunkPtr fallback = MakeDefaultChunk();
  ASSERT_TRUE(fallback);

  EXPECT_EQ(Speak(player, "50.wav"), PlayedBytes(*fallback));
  EXPECT_EQ(Speak(player, "points.wav"), pointsBytes);
}

INSTANTIATE_TEST_SUITE_P(EveryDamage, DamagedWord, ::testing::ValuesIn(DamageKinds()),
                         [](const auto& info) { return TestName(info.param.name); });

class UnusualWord : public Words, public ::testing::WithParamInterface<WavFormat> {};

TEST_P(UnusualWord, PlaysAsWritten) {
  WriteBytes(folder.Path() / "50.wav", ToneWav(GetParam(), 200));
  std::string reason;
  const ChunkPtr word = LoadChunk("50.wav", reason);
  ASSERT_TRUE(word) << reason;

  EXPECT_EQ(Speak(player, "50.wav"), PlayedBytes(*word));
  EXPECT_EQ(Speak(player, "points.wav"), pointsBytes);
}

INSTANTIATE_TEST_SUITE_P(Valid, UnusualWord, ::testing::ValuesIn(UnusualFormats()),
                         [](const auto& info) { return TestName(info.param.name); });

}  // namespace
}  // namespace scurrow::reliability
