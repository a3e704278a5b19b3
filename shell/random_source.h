#pragma once

#include <cstdint>

namespace scurrow {

// A uniform pseudo-random sequence that a clock reading can be mixed into.
// Reseeding folds the reading into the current state instead of restarting
// from it, so two reseeds within one reading still give independent draws.
class RandomSource {
 public:
  explicit RandomSource(uint64_t seed) : state_(seed) {}

  void Reseed(float clockReading);
  // 0 <= r < 1, with 24 random bits (all that a float holds).
  float Draw();

 private:
  uint64_t Next();

  uint64_t state_;
};

}  // namespace scurrow
