#pragma once

namespace scurrow {

// Shows the player `message` in a dialog titled "Scurrow error" that waits until it is closed.
// Where no dialog can be shown (no display), it returns at once. It never throws.
void ShowErrorDialog(const char* message) noexcept;

}  // namespace scurrow
