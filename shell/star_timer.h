#pragma once

#include <cstdint>
#include <optional>

namespace scurrow {

// The rules of the star timer, on a millisecond time line that the owning
// shell supplies: a periodic tick while enabled with an interval above zero,
// a fresh countdown at every change, and no late tick after disabling.
class StarTimer {
 public:
  // An interval of zero or less gives no ticks.
  void SetInterval(int32_t milliseconds, int64_t now);
  void SetEnabled(bool enabled, int64_t now);

  // When the next tick falls due, or nothing while the timer gives no ticks.
  std::optional<int64_t> Deadline() const;
  // True when a tick is due at `now`; the countdown then moves on. Ticks that
  // fell due while the thread was busy are merged into this one.
  bool TakeDueTick(int64_t now);

 private:
  void Restart(int64_t now);

  int32_t interval_ = 0;
  bool enabled_ = true;  // a new timer is enabled but silent at interval 0
  int64_t deadline_ = 0;
};

}  // namespace scurrow
