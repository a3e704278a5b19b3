#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace scurrow::testing {

// A temporary program folder holding all 39 sounds as short tones of
// known lengths, so that tests can reckon with exact virtual times.
class SoundFolder {
 public:
  // Lengths of the effects here; every number word lasts kWordMs.
  static constexpr int64_t kIntroMs = 3000;
  static constexpr int64_t kNoFindMs = 1500;
  static constexpr int64_t kAgainMs = 2000;
  static constexpr int64_t kWordMs = 400;

  SoundFolder();
  ~SoundFolder();
  SoundFolder(const SoundFolder&) = delete;
  SoundFolder& operator=(const SoundFolder&) = delete;

  std::string Path() const { return path_.string(); }
  void Write(const std::string& name, int64_t lengthMs);
  void Remove(const std::string& name);

  static const std::map<std::string, int64_t>& EffectLengths();

 private:
  std::filesystem::path path_;
};

}  // namespace scurrow::testing
