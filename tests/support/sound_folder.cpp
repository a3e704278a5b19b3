#include "tests/support/sound_folder.h"

#include <random>
#include <vector>

#include "tests/support/wav_writer.h"

namespace scurrow::testing {

const std::map<std::string, int64_t>& SoundFolder::EffectLengths() {
  static const std::map<std::string, int64_t> lengths = {
      {"background.wav", 20000}, {"move.wav", 100},         {"found.wav", 600},
      {"atedge.wav", 120},       {"nofind.wav", kNoFindMs}, {"again.wav", kAgainMs},
      {"nextlevel.wav", 900},    {"intro.wav", kIntroMs}};
  return lengths;
}

SoundFolder::SoundFolder() {
  std::random_device device;
  path_ = std::filesystem::temp_directory_path() /
          ("scurrow-sounds-" + std::to_string(device()) + std::to_string(device()));
  std::filesystem::create_directories(path_);
  for (const auto& [name, length] : EffectLengths()) Write(name, length);
  std::vector<std::string> words = {"hundred", "thousand", "points"};
  for (int n = 0; n <= 19; ++n) words.push_back(std::to_string(n));
  for (int n = 20; n <= 90; n += 10) words.push_back(std::to_string(n));
  for (const std::string& word : words) Write(word + ".wav", kWordMs);
}

SoundFolder::~SoundFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void SoundFolder::Write(const std::string& name, int64_t lengthMs) {
  // 8-bit mono at 8 kHz keeps the files small.
  WavFormat format = PlainFormat();
  format.rate = 8000;
  format.bits = 8;
  WriteBytes(path_ / name, ToneWav(format, static_cast<int>(lengthMs)));
}

void SoundFolder::Remove(const std::string& name) { std::filesystem::remove(path_ / name); }

}  // namespace scurrow::testing
