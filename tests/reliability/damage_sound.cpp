// damage_sound KIND PATH: damages the sound file at PATH (or writes a
// damaged one where there is none) for the whole-program tests.
// damage_sound --reason KIND: prints the part of the loader's reason that
// the damage must give.
#include <cstdio>
#include <exception>
#include <string>

#include "tests/support/wav_writer.h"

int main(int argc, char** argv) {
  using namespace scurrow::testing;
  try {
    if (argc == 3 && std::string(argv[1]) == "--reason") {
      std::printf("%s\n", DamageKindNamed(argv[2]).reason.c_str());
      return 0;
    }
    if (argc != 3) {
      std::fprintf(stderr, "usage: damage_sound KIND PATH | damage_sound --reason KIND\n");
      return 2;
    }
    WriteDamaged(argv[2], DamageKindNamed(argv[1]).damage);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "damage_sound: %s\n", error.what());
    return 1;
  }
}
