#include "shell/local_clock.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace scurrow {

float SecondsSinceLocalMidnight() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t whole = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&whole, &local);
  const double fraction = duration<double>(now - system_clock::from_time_t(whole)).count();
  const double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction;
  // Neither a leap second nor rounding to single precision may reach 86400.
  const float reading = static_cast<float>(seconds);
  return reading < 86400.0f ? reading : std::nextafter(86400.0f, 0.0f);
}

}  // namespace scurrow
