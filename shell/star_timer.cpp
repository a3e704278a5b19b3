#include "shell/star_timer.h"

namespace scurrow {

void StarTimer::SetInterval(int32_t milliseconds, int64_t now) {
  interval_ = milliseconds;
  Restart(now);
}

void StarTimer::SetEnabled(bool enabled, int64_t now) {
  enabled_ = enabled;
  Restart(now);
}

std::optional<int64_t> StarTimer::Deadline() const {
  if (!enabled_ || interval_ <= 0) return std::nullopt;
  return deadline_;
}

bool StarTimer::TakeDueTick(int64_t now) {
  const auto deadline = Deadline();
  if (!deadline || *deadline > now) return false;
  while (deadline_ <= now) deadline_ += interval_;
  return true;
}

void StarTimer::Restart(int64_t now) { deadline_ = now + interval_; }

}  // namespace scurrow
