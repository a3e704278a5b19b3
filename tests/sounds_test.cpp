// Checks the recordings in sounds/: the exact set of files, their WAV format, length, peak level,
// clean fades at both ends, the tight trimming of the number words (so a spoken score flows when
// the words play back to back), matched loudness of the words, and a background loop that stays
// well below the cues that play over it.
//
// The folder is given at build time: -DSCURROW_SOUNDS_DIR="/path/to/sounds".

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#ifndef SCURROW_SOUNDS_DIR
#error "SCURROW_SOUNDS_DIR must name the sounds folder, e.g. -DSCURROW_SOUNDS_DIR=\"sounds\""
#endif

namespace {

namespace fs = std::filesystem;

constexpr int kSampleRate = 44100;
// -1 dBFS: 32767 * 10^(-1/20).
constexpr int kMaxPeak = 29204;
// Samples with a magnitude below this (about -50 dBFS) count as silence.
constexpr int kSilence = 100;
// The very first and last sample of every file must be at most this far from zero.
constexpr int kMaxEdgeSample = 1000;
// Every file fades in and out over at least this long.
constexpr double kMinFadeSeconds = 0.003;
// Number words: at most this much silence before and after the word.
constexpr double kMaxLeadingSilence = 0.020;
constexpr double kMaxTrailingSilence = 0.040;
// Loudness rules, in dB of RMS over the non-silent part of a file.
constexpr double kMaxWordLoudnessSpread = 2.0;
constexpr double kMinBackgroundHeadroom = 8.0;
constexpr double kMinBackgroundSeconds = 15.0;
constexpr std::uintmax_t kMaxTotalBytes = 10u * 1000u * 1000u;

enum class Kind { kWord, kEffect, kBackground };

struct SoundSpec {
  const char* name;  // File name without ".wav".
  Kind kind;
  double max_seconds;
  bool stereo_allowed;
};

constexpr double kMaxWordSeconds = 0.9;

const std::vector<SoundSpec>& AllSounds() {
  static const std::vector<SoundSpec> sounds = [] {
    std::vector<SoundSpec> list = {
        {"background", Kind::kBackground, 40.0, true}, {"move", Kind::kEffect, 0.12, false},
        {"found", Kind::kEffect, 0.7, false},          {"atedge", Kind::kEffect, 0.15, false},
        {"nofind", Kind::kEffect, 2.5, false},         {"again", Kind::kEffect, 4.0, false},
        {"nextlevel", Kind::kEffect, 1.2, false},      {"intro", Kind::kEffect, 7.0, true},
    };
    static const char* const kWords[] = {
        "0",  "1",  "2",  "3",  "4",  "5",  "6",       "7",        "8",      "9",  "10",
        "11", "12", "13", "14", "15", "16", "17",      "18",       "19",     "20", "30",
        "40", "50", "60", "70", "80", "90", "hundred", "thousand", "points",
    };
    for (const char* word : kWords) {
      list.push_back({word, Kind::kWord, kMaxWordSeconds, false});
    }
    return list;
  }();
  return sounds;
}

// Names the test instances' parameter in failure messages.
void PrintTo(const SoundSpec& spec, std::ostream* os) { *os << spec.name; }

std::vector<SoundSpec> Words() {
  std::vector<SoundSpec> words;
  for (const SoundSpec& spec : AllSounds()) {
    if (spec.kind == Kind::kWord) words.push_back(spec);
  }
  return words;
}

fs::path SoundPath(const std::string& name) {
  return fs::path(SCURROW_SOUNDS_DIR) / (name + ".wav");
}

// ---------------------------------------------------------------------------------------------
// A minimal RIFF/WAVE reader: walks the chunk list (skipping chunks it does not know, with their
// pad byte when the size is odd) and keeps the "fmt " fields and the 16-bit PCM samples.

struct Wav {
  int format_tag = 0;
  int channels = 0;
  int sample_rate = 0;
  int bits_per_sample = 0;
  int block_align = 0;
  std::uint32_t byte_rate = 0;
  std::vector<std::int16_t> samples;  // Interleaved.

  std::size_t Frames() const { return channels > 0 ? samples.size() / channels : 0; }
  double Seconds() const { return static_cast<double>(Frames()) / sample_rate; }
  int At(std::size_t frame, int channel) const { return samples[frame * channels + channel]; }
};

std::uint32_t Le32(const std::vector<unsigned char>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

int Le16(const std::vector<unsigned char>& b, std::size_t at) {
  return static_cast<int>(b[at] | b[at + 1] << 8);
}

// Returns an empty string on success, or what is wrong with the file.
std::string ReadWav(const fs::path& path, Wav* wav) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "cannot open " + path.string();
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
  if (bytes.size() < 12) return "too short for a RIFF header";
  if (std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" ||
      std::string(bytes.begin() + 8, bytes.begin() + 12) != "WAVE") {
    return "not a RIFF/WAVE file";
  }
  if (static_cast<std::size_t>(Le32(bytes, 4)) + 8 != bytes.size()) {
    return "RIFF size does not match the file size";
  }
  bool have_fmt = false;
  bool have_data = false;
  std::size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const std::string id(bytes.begin() + at, bytes.begin() + at + 4);
    const std::size_t size = Le32(bytes, at + 4);
    const std::size_t body = at + 8;
    if (size > bytes.size() - body) return "chunk '" + id + "' runs past the end of the file";
    if (id == "fmt ") {
      if (size < 16) return "'fmt ' chunk too small";
      wav->format_tag = Le16(bytes, body);
      wav->channels = Le16(bytes, body + 2);
      wav->sample_rate = static_cast<int>(Le32(bytes, body + 4));
      wav->byte_rate = Le32(bytes, body + 8);
      wav->block_align = Le16(bytes, body + 12);
      wav->bits_per_sample = Le16(bytes, body + 14);
      have_fmt = true;
    } else if (id == "data") {
      if (!have_fmt) return "'data' chunk before 'fmt ' chunk";
      if (wav->format_tag != 1 || wav->bits_per_sample != 16) {
        return "not 16-bit PCM (format " + std::to_string(wav->format_tag) + ", " +
               std::to_string(wav->bits_per_sample) + " bits)";
      }
      if (wav->channels < 1 || size % (2 * wav->channels) != 0) {
        return "'data' size is not a whole number of frames";
      }
      wav->samples.resize(size / 2);
      for (std::size_t i = 0; i < wav->samples.size(); ++i) {
        wav->samples[i] = static_cast<std::int16_t>(Le16(bytes, body + 2 * i));
      }
      have_data = true;
    }
    at = body + size + (size & 1);
  }
  if (!have_fmt) return "no 'fmt ' chunk";
  if (!have_data) return "no 'data' chunk";
  return "";
}

// Loads each file once; later calls return the same object. Fails the current test and returns
// nullptr if the file cannot be read.
const Wav* Load(const std::string& name) {
  static std::map<std::string, Wav> cache;
  static std::map<std::string, std::string> errors;
  if (cache.count(name) == 0 && errors.count(name) == 0) {
    Wav wav;
    const std::string error = ReadWav(SoundPath(name), &wav);
    if (error.empty()) {
      cache.emplace(name, std::move(wav));
    } else {
      errors.emplace(name, error);
    }
  }
  if (auto it = errors.find(name); it != errors.end()) {
    ADD_FAILURE() << name << ".wav: " << it->second;
    return nullptr;
  }
  return &cache.at(name);
}

// ---------------------------------------------------------------------------------------------
// Measurements.

bool SilentFrame(const Wav& wav, std::size_t frame) {
  for (int c = 0; c < wav.channels; ++c) {
    if (std::abs(wav.At(frame, c)) >= kSilence) return false;
  }
  return true;
}

// Number of silent frames at the start and at the end.
std::size_t LeadingSilentFrames(const Wav& wav) {
  std::size_t n = 0;
  while (n < wav.Frames() && SilentFrame(wav, n)) ++n;
  return n;
}

std::size_t TrailingSilentFrames(const Wav& wav) {
  std::size_t n = 0;
  while (n < wav.Frames() && SilentFrame(wav, wav.Frames() - 1 - n)) ++n;
  return n;
}

// RMS in dBFS over the span from the first to the last non-silent frame, all channels.
double LoudnessDb(const Wav& wav) {
  const std::size_t begin = LeadingSilentFrames(wav);
  if (begin == wav.Frames()) return -200.0;
  const std::size_t end = wav.Frames() - TrailingSilentFrames(wav);
  double sum = 0.0;
  for (std::size_t i = begin * wav.channels; i < end * wav.channels; ++i) {
    sum += static_cast<double>(wav.samples[i]) * wav.samples[i];
  }
  const double rms = std::sqrt(sum / static_cast<double>((end - begin) * wav.channels));
  return 20.0 * std::log10(std::max(rms, 1e-9) / 32768.0);
}

int Peak(const Wav& wav) {
  int peak = 0;
  for (std::int16_t s : wav.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
  return peak;
}

// ---------------------------------------------------------------------------------------------
// The folder as a whole.

TEST(SoundsFolder, HoldsExactlyTheExpectedFiles) {
  std::set<std::string> expected;
  for (const SoundSpec& spec : AllSounds()) expected.insert(std::string(spec.name) + ".wav");
  ASSERT_EQ(expected.size(), 39u);

  std::set<std::string> found;
  for (const fs::directory_entry& entry : fs::directory_iterator(SCURROW_SOUNDS_DIR)) {
    found.insert(entry.path().filename().string());
  }
  for (const std::string& name : expected) {
    EXPECT_EQ(found.count(name), 1u) << "missing: " << name;
  }
  for (const std::string& name : found) {
    EXPECT_EQ(expected.count(name), 1u) << "unexpected file: " << name;
  }
}

TEST(SoundsFolder, TotalSizeIsAtMostTenMegabytes) {
  std::uintmax_t total = 0;
  for (const SoundSpec& spec : AllSounds()) total += fs::file_size(SoundPath(spec.name));
  EXPECT_LE(total, kMaxTotalBytes);
}

TEST(SoundsFolder, WordsAreMatchedInLoudness) {
  double quietest = 1e9;
  double loudest = -1e9;
  std::string quietest_name;
  std::string loudest_name;
  for (const SoundSpec& spec : Words()) {
    const Wav* wav = Load(spec.name);
    ASSERT_NE(wav, nullptr);
    const double db = LoudnessDb(*wav);
    if (db < quietest) {
      quietest = db;
      quietest_name = spec.name;
    }
    if (db > loudest) {
      loudest = db;
      loudest_name = spec.name;
    }
  }
  EXPECT_LE(loudest - quietest, kMaxWordLoudnessSpread)
      << "loudest " << loudest_name << " at " << loudest << " dB, quietest " << quietest_name
      << " at " << quietest << " dB";
}

TEST(SoundsFolder, BackgroundSitsWellBelowEveryCue) {
  const Wav* background = Load("background");
  ASSERT_NE(background, nullptr);
  const double background_db = LoudnessDb(*background);
  for (const SoundSpec& spec : AllSounds()) {
    if (spec.kind == Kind::kBackground) continue;
    const Wav* cue = Load(spec.name);
    ASSERT_NE(cue, nullptr);
    EXPECT_GE(LoudnessDb(*cue) - background_db, kMinBackgroundHeadroom)
        << spec.name << " at " << LoudnessDb(*cue) << " dB, background at " << background_db
        << " dB";
  }
}

TEST(SoundsFolder, BackgroundLoopLength) {
  const Wav* wav = Load("background");
  ASSERT_NE(wav, nullptr);
  EXPECT_GE(wav->Seconds(), kMinBackgroundSeconds);
}

// ---------------------------------------------------------------------------------------------
// Every file, one test instance per file.

class EachSound : public testing::TestWithParam<SoundSpec> {};

TEST_P(EachSound, IsCanonical16BitPcmAt44100Hz) {
  const SoundSpec& spec = GetParam();
  const Wav* wav = Load(spec.name);
  ASSERT_NE(wav, nullptr);
  EXPECT_EQ(wav->format_tag, 1) << "plain PCM, not WAVE_FORMAT_EXTENSIBLE";
  EXPECT_EQ(wav->bits_per_sample, 16);
  EXPECT_EQ(wav->sample_rate, kSampleRate);
  if (spec.stereo_allowed) {
    EXPECT_TRUE(wav->channels == 1 || wav->channels == 2) << wav->channels << " channels";
  } else {
    EXPECT_EQ(wav->channels, 1);
  }
  EXPECT_EQ(wav->block_align, 2 * wav->channels);
  EXPECT_EQ(wav->byte_rate, static_cast<std::uint32_t>(kSampleRate * 2 * wav->channels));
}

TEST_P(EachSound, IsNotTooLong) {
  const SoundSpec& spec = GetParam();
  const Wav* wav = Load(spec.name);
  ASSERT_NE(wav, nullptr);
  EXPECT_GT(wav->Frames(), 0u);
  EXPECT_LE(wav->Seconds(), spec.max_seconds);
}

TEST_P(EachSound, PeaksAtOrBelowMinusOneDbfs) {
  const Wav* wav = Load(GetParam().name);
  ASSERT_NE(wav, nullptr);
  EXPECT_LE(Peak(*wav), kMaxPeak);
}

// The first and last samples are near zero, and over the first and last 3 ms the level stays
// under a straight ramp from there to the file's own peak, as it does under a fade of 3 ms or
// longer, so the sound cannot start or stop with a click.
TEST_P(EachSound, FadesInAndOut) {
  const Wav* wav = Load(GetParam().name);
  ASSERT_NE(wav, nullptr);
  const std::size_t fade = static_cast<std::size_t>(kMinFadeSeconds * kSampleRate);
  ASSERT_GT(wav->Frames(), 2 * fade);
  const std::size_t last = wav->Frames() - 1;
  const int peak = Peak(*wav);
  for (int c = 0; c < wav->channels; ++c) {
    EXPECT_LT(std::abs(wav->At(0, c)), kMaxEdgeSample) << "first sample, channel " << c;
    EXPECT_LT(std::abs(wav->At(last, c)), kMaxEdgeSample) << "last sample, channel " << c;
    for (std::size_t i = 0; i < fade; ++i) {
      const double limit =
          kMaxEdgeSample + static_cast<double>(peak) * static_cast<double>(i) / fade;
      ASSERT_LE(std::abs(wav->At(i, c)), limit) << "fade-in, sample " << i << ", channel " << c;
      ASSERT_LE(std::abs(wav->At(last - i, c)), limit)
          << "fade-out, " << i << " samples before the end, channel " << c;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sounds, EachSound, testing::ValuesIn(AllSounds()),
                         [](const testing::TestParamInfo<SoundSpec>& info) {
                           return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------------------------
// Number words play back to back to speak the score, so each is trimmed close to the voice.

class EachWord : public testing::TestWithParam<SoundSpec> {};

TEST_P(EachWord, IsTrimmed) {
  const Wav* wav = Load(GetParam().name);
  ASSERT_NE(wav, nullptr);
  ASSERT_LT(LeadingSilentFrames(*wav), wav->Frames()) << "the file is silent";
  EXPECT_LE(static_cast<double>(LeadingSilentFrames(*wav)) / kSampleRate, kMaxLeadingSilence);
  EXPECT_LE(static_cast<double>(TrailingSilentFrames(*wav)) / kSampleRate, kMaxTrailingSilence);
}

INSTANTIATE_TEST_SUITE_P(Words, EachWord, testing::ValuesIn(Words()),
                         [](const testing::TestParamInfo<SoundSpec>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
