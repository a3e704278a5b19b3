#pragma once

#include <SDL2/SDL.h>

#include <cstdint>
#include <functional>
#include <string>

#include "shell/random_source.h"
#include "shell/runtime_error.h"
#include "shell/shell.h"
#include "shell/star_timer.h"

namespace scurrow {

// The shell on SDL2: one hidden window captioned "Scurrow" until the game
// shows it, key-downs as Windows virtual-key codes, the star timer kept by the
// event loop, and an idle loop that blocks until the next event or tick.
class SdlShell : public Shell {
 public:
  static constexpr int kClientWidth = 312;
  static constexpr int kClientHeight = 213;

  // Initialises SDL's video and creates the hidden window. Throws
  // RuntimeError where no display is available (SDL's invisible drivers
  // count as none).
  SdlShell();
  ~SdlShell() override;
  SdlShell(const SdlShell&) = delete;
  SdlShell& operator=(const SdlShell&) = delete;

  // Raises the load event, calls `startedUp` once it has returned, then runs the event loop
  // until the program ends. An error that no handler trapped leaves it.
  void Run(FormEvents& form, const std::function<void()>& startedUp);

  SDL_Window* Window() const { return window_; }

  void ShowWindow() override;
  WindowHandle Handle() override;
  void UnloadWindow() override;
  void SetTimerInterval(int32_t milliseconds) override;
  void SetTimerEnabled(bool enabled) override;
  void PumpEvents() override;
  float Clock() override;
  void Randomize() override;
  float Rnd() override;
  std::string ProgramFolder() override;
  void ChangeDirectory(const std::string& folder) override;

 protected:
  void WindowGone() override;

 private:
  // Waits up to `limitMs` (-1: without end) for the next event, and no longer than until the star
  // timer's next tick. True when it took one.
  bool WaitForEvent(SDL_Event& event, int limitMs);
  // Runs the handler for one SDL event, if it has one.
  void Dispatch(const SDL_Event& event);
  // Runs Timer1_Timer when a tick is due; true if it did.
  bool DeliverDueTick();
  void CloseRequested();
  void Paint();

  SDL_Window* window_ = nullptr;
  FormEvents* form_ = nullptr;
  StarTimer timer_;
  RandomSource random_;
  bool unloaded_ = false;
};

}  // namespace scurrow
