#pragma once

#include <cstdint>
#include <random>

namespace scurrow {

// A uniform pseudo-random sequence that a clock reading can be mixed into.
// Reseeding folds the reading into the current state instead of restarting
// from it, so two reseeds within one reading still give independent draws.
class RandomSource {
 public:
  explicit RandomSource(uint32_t seed) : engine_(seed) {}

  void Reseed(float clockReading);
  // 0 <= r < 1, with 24 random bits (all that a float holds).
  float Draw();

 private:
  std::mt19937 engine_;
};

}  // namespace scurrow
