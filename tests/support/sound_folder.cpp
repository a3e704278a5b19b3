#include "tests/support/sound_folder.h"

#include <fstream>
#include <random>
#include <vector>

namespace scurrow::testing {
namespace {

constexpr uint32_t kRate = 8000;  // 8-bit mono keeps the files small

void Put(std::ofstream& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.put(static_cast<char>(value >> (8 * i)));
}

}  // namespace

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
  const uint32_t data = static_cast<uint32_t>(lengthMs * kRate / 1000);
  std::ofstream out(path_ / name, std::ios::binary);
  out.write("RIFF", 4);
  Put(out, 36 + data, 4);
  out.write("WAVEfmt ", 8);
  Put(out, 16, 4);
  Put(out, 1, 2);
  Put(out, 1, 2);
  Put(out, kRate, 4);
  Put(out, kRate, 4);
  Put(out, 1, 2);
  Put(out, 8, 2);
  out.write("data", 4);
  Put(out, data, 4);
  const std::string silence(data, static_cast<char>(0x80));
  out.write(silence.data(), static_cast<std::streamsize>(silence.size()));
}

void SoundFolder::Remove(const std::string& name) { std::filesystem::remove(path_ / name); }

}  // namespace scurrow::testing
