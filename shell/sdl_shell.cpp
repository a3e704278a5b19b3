#include "shell/sdl_shell.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <string_view>

#include "shell/key_codes.h"
#include "shell/local_clock.h"
#include "shell/platform.h"
#include "shell/utf8_path.h"

namespace scurrow {
namespace {

constexpr char kCaption[] = "Scurrow";

[[noreturn]] void ThrowSdlError(ErrorNumber number, const std::string& what) {
  throw RuntimeError(number, what + ": " + SDL_GetError());
}

// Drivers that open no window anyone can see or type into.
bool IsInvisibleDriver(std::string_view driver) {
  return driver == "offscreen" || driver == "dummy" || driver == "evdev";
}

}  // namespace

SdlShell::SdlShell() : random_(std::random_device{}()) {
  // The window is only ever filled with one colour: a plain framebuffer does
  // that without loading the OpenGL stack (80 MB and most of the start-up).
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // In the browser, the keys come from the page's game area alone, as a window has them only
  // while it has the focus (the hint means nothing elsewhere).
  SDL_SetHint(SDL_HINT_EMSCRIPTEN_KEYBOARD_ELEMENT, "#game");
  int started = 0;
  {
    platform::QuietStandardError quiet;
    started = SDL_InitSubSystem(SDL_INIT_VIDEO);
  }
  if (started != 0) {
    throw RuntimeError(ErrorNumber::kDeviceUnavailable,
                       std::string("No display available: ") + SDL_GetError(), Trouble::kNoDisplay);
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || IsInvisibleDriver(driver)) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    throw RuntimeError(ErrorNumber::kDeviceUnavailable,
                       std::string("No display available: only the invisible '") +
                           (driver ? driver : "none") + "' video driver could start",
                       Trouble::kNoDisplay);
  }
  window_ = SDL_CreateWindow(kCaption, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                             kClientWidth, kClientHeight, SDL_WINDOW_HIDDEN);
  if (window_ == nullptr) {
    const std::string reason = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    throw RuntimeError(ErrorNumber::kDeviceUnavailable, "Cannot create the window: " + reason,
                       Trouble::kNoDisplay);
  }
}

SdlShell::~SdlShell() {
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void SdlShell::Run(FormEvents& form, const std::function<void()>& startedUp) {
  form_ = &form;
  try {
    form.Form_Load();
    startedUp();
    while (!unloaded_) {
      SDL_Event event;
      if (WaitForEvent(event, -1)) Dispatch(event);
      DeliverDueTick();
    }
  } catch (const ProgramEnd&) {
  }
}

bool SdlShell::WaitForEvent(SDL_Event& event, int limitMs) {
  if (const auto deadline = timer_.Deadline()) {
    const int64_t due = std::max<int64_t>(0, *deadline - static_cast<int64_t>(SDL_GetTicks64()));
    if (limitMs < 0 || due < limitMs) limitMs = static_cast<int>(due);
  }
  return SDL_WaitEventTimeout(&event, limitMs) != 0;
}

void SdlShell::Dispatch(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN: {
      int16_t keyCode = VirtualKeyCode(event.key.keysym);
      int16_t shift = ShiftState(event.key.keysym.mod);
      if (keyCode != 0) form_->Form_KeyDown(keyCode, shift);
      break;
    }
    case SDL_QUIT:
      CloseRequested();
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) CloseRequested();
      if (event.window.event == SDL_WINDOWEVENT_EXPOSED) Paint();
      break;
    default:
      break;
  }
}

bool SdlShell::DeliverDueTick() {
  if (!timer_.TakeDueTick(static_cast<int64_t>(SDL_GetTicks64()))) return false;
  form_->Timer1_Timer();
  return true;
}

void SdlShell::CloseRequested() {
  if (!unloaded_) UnloadWindow();
}

// The client area shows a plain background and nothing else.
void SdlShell::Paint() {
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  if (surface == nullptr) return;
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0xF0, 0xF0, 0xF0));
  SDL_UpdateWindowSurface(window_);
}

void SdlShell::ShowWindow() {
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);
  Paint();
}

WindowHandle SdlShell::Handle() {
  const Uint32 id = SDL_GetWindowID(window_);
  if (id == 0) ThrowSdlError(ErrorNumber::kInvalidCall, "Cannot read the window handle");
  return id;
}

void SdlShell::UnloadWindow() {
  int16_t cancel = 0;
  form_->Form_Unload(cancel);
  if (cancel == 0) {
    unloaded_ = true;
    SDL_HideWindow(window_);
  }
}

void SdlShell::SetTimerInterval(int32_t milliseconds) {
  timer_.SetInterval(milliseconds, static_cast<int64_t>(SDL_GetTicks64()));
}

void SdlShell::SetTimerEnabled(bool enabled) {
  timer_.SetEnabled(enabled, static_cast<int64_t>(SDL_GetTicks64()));
}

void SdlShell::PumpEvents() {
  platform::YieldToSystem();
  // With nothing waiting, the pump waits up to a millisecond for the next event rather than
  // spin a core through the game's waits; then it dispatches all that waits, ticks included.
  SDL_Event event;
  for (bool got = WaitForEvent(event, 1);; got = SDL_PollEvent(&event) != 0) {
    if (got) Dispatch(event);
    const bool ticked = DeliverDueTick();
    if (!got && !ticked) return;
  }
}

float SdlShell::Clock() { return SecondsSinceLocalMidnight(); }

void SdlShell::Randomize() { random_.Reseed(Clock()); }

float SdlShell::Rnd() { return random_.Draw(); }

std::string SdlShell::ProgramFolder() {
  char* base = SDL_GetBasePath();
  if (base == nullptr) ThrowSdlError(ErrorNumber::kPathNotFound, "Cannot find the program folder");
  std::string folder = base;
  SDL_free(base);
  // SDL ends the folder with a separator (a backslash on Windows); the game
  // appends its own. A root folder keeps it: "/", or "C:" and a backslash.
  const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == separator) &&
         !Utf8Path(folder).relative_path().empty()) {
    folder.pop_back();
  }
  return folder;
}

void SdlShell::ChangeDirectory(const std::string& folder) {
  std::error_code error;
  std::filesystem::current_path(Utf8Path(folder), error);
  if (error) {
    throw RuntimeError(ErrorNumber::kPathNotFound,
                       "Cannot change to folder '" + folder + "': " + error.message());
  }
}

void SdlShell::WindowGone() { SDL_HideWindow(window_); }

}  // namespace scurrow
