#pragma once

#include <cstdint>
#include <string>

#include "shell/runtime_error.h"

namespace scurrow {

// Native handle of the main window, opaque to the game; the sound device binds
// to it. Zero is never a valid handle.
using WindowHandle = std::uintptr_t;

// The four events that the shell raises on the main window. The game's main
// window implements them; the shell decides when each one runs.
class FormEvents {
 public:
  virtual ~FormEvents() = default;
  virtual void Form_Load() = 0;
  virtual void Form_KeyDown(int16_t& KeyCode, int16_t& Shift) = 0;
  virtual void Form_Unload(int16_t& Cancel) = 0;
  virtual void Timer1_Timer() = 0;
};

// Everything the game asks of the platform besides sound: the window, the star
// timer, the event pump, the clock, the random source and the program's place
// on disk. Every call runs on the window's thread, from inside a handler.
// Failures throw RuntimeError.
class Shell {
 public:
  virtual ~Shell() = default;

  virtual void ShowWindow() = 0;
  virtual WindowHandle Handle() = 0;
  // Raises Form_Unload synchronously; if it does not cancel, the window goes
  // and the event loop ends.
  virtual void UnloadWindow() = 0;

  // The star timer: a tick falls due every interval while enabled and the
  // interval is above zero. Arming (interval, then enabled) always starts a
  // fresh countdown; disabling drops any tick not yet delivered.
  virtual void SetTimerInterval(int32_t milliseconds) = 0;
  virtual void SetTimerEnabled(bool enabled) = 0;

  // Dispatches every waiting event (ticks included), then returns. With nothing waiting it may
  // wait about a millisecond for one, and no longer.
  virtual void PumpEvents() = 0;

  // Seconds since local midnight, 0 <= t < 86400.
  virtual float Clock() = 0;
  // Mixes the current clock reading into the random sequence.
  virtual void Randomize() = 0;
  // The next random value r, 0 <= r < 1.
  virtual float Rnd() = 0;

  // Absolute folder of the program file, without a trailing separator.
  virtual std::string ProgramFolder() = 0;
  virtual void ChangeDirectory(const std::string& folder) = 0;

  // Ends the program at once: nothing of the game runs afterwards, not even a
  // procedure that was waiting in the pump. ProgramEnd unwinds them all up to
  // the shell's top level.
  [[noreturn]] void EndProgram() {
    WindowGone();
    throw ProgramEnd{};
  }

 protected:
  // Lets the shell take the window away as the program ends.
  virtual void WindowGone() = 0;
};

}  // namespace scurrow
