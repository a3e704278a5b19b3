// The SDL2 shell for real, on an X display of its own.
#include "shell/sdl_shell.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "shell/key_codes.h"

namespace scurrow {
namespace {

// A main window whose load handler is the test's body.
struct ScriptedForm : FormEvents {
  explicit ScriptedForm(SdlShell& s) : shell(s) {}

  void Form_Load() override { load(); }
  void Form_KeyDown(int16_t& keyCode, int16_t& shift) override { keys.push_back({keyCode, shift}); }
  void Form_Unload(int16_t&) override { ++unloads; }
  void Timer1_Timer() override { ticks.push_back(SDL_GetTicks64()); }

  // Pumps until `ms` milliseconds have passed.
  void PumpFor(uint64_t ms) {
    const uint64_t end = SDL_GetTicks64() + ms;
    while (SDL_GetTicks64() < end) shell.PumpEvents();
  }

  SdlShell& shell;
  std::function<void()> load = [] {};
  std::vector<std::pair<int16_t, int16_t>> keys;
  std::vector<uint64_t> ticks;
  int unloads = 0;
};

void PushKey(SDL_Keycode key, uint16_t modifiers = KMOD_NONE, bool repeat = false) {
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.keysym.sym = key;
  event.key.keysym.mod = modifiers;
  event.key.repeat = repeat;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
}

TEST(SdlShell, OpensAHiddenWindowCaptionedScurrowOfTheGivenSize) {
  SdlShell shell;
  EXPECT_STREQ(SDL_GetWindowTitle(shell.Window()), "Scurrow");
  int width = 0, height = 0;
  SDL_GetWindowSize(shell.Window(), &width, &height);
  EXPECT_EQ(width, 312);
  EXPECT_EQ(height, 213);
  EXPECT_TRUE(SDL_GetWindowFlags(shell.Window()) & SDL_WINDOW_HIDDEN);
  shell.ShowWindow();
  EXPECT_TRUE(SDL_GetWindowFlags(shell.Window()) & SDL_WINDOW_SHOWN);
  EXPECT_NE(shell.Handle(), 0u);
}

TEST(SdlShell, ProgramFolderIsTheFolderOfTheRunningBinary) {
  SdlShell shell;
  const auto binary = std::filesystem::read_symlink("/proc/self/exe");
  EXPECT_EQ(shell.ProgramFolder(), binary.parent_path().string());
}

TEST(SdlShell, EveryArmingStartsAFreshCountdown) {
  SdlShell shell;
  ScriptedForm form(shell);
  uint64_t rearmedAt = 0;
  form.load = [&] {
    shell.SetTimerInterval(100);
    shell.SetTimerEnabled(true);
    form.PumpFor(80);
    rearmedAt = SDL_GetTicks64();
    shell.SetTimerInterval(100);
    shell.SetTimerEnabled(true);
    while (form.ticks.empty()) shell.PumpEvents();
    shell.EndProgram();
  };
  EXPECT_EQ(shell.Run(form), 0);
  ASSERT_EQ(form.ticks.size(), 1u);
  EXPECT_GE(form.ticks[0], rearmedAt + 100);
}

TEST(SdlShell, DisablingDropsATickAlreadyDue) {
  SdlShell shell;
  ScriptedForm form(shell);
  form.load = [&] {
    shell.SetTimerInterval(50);
    shell.SetTimerEnabled(true);
    SDL_Delay(120);  // the tick falls due while the thread is busy
    shell.SetTimerEnabled(false);
    form.PumpFor(150);
    shell.EndProgram();
  };
  EXPECT_EQ(shell.Run(form), 0);
  EXPECT_TRUE(form.ticks.empty());
}

TEST(SdlShell, TheIdleLoopDeliversTicksUntilTheProgramEnds) {
  SdlShell shell;
  struct TickingForm : ScriptedForm {
    using ScriptedForm::ScriptedForm;
    void Timer1_Timer() override {
      ScriptedForm::Timer1_Timer();
      if (ticks.size() == 3) shell.EndProgram();
    }
  } form(shell);
  form.load = [&] {
    shell.SetTimerInterval(20);
    shell.SetTimerEnabled(true);
  };
  EXPECT_EQ(shell.Run(form), 0);
  EXPECT_EQ(form.ticks.size(), 3u);
}

TEST(SdlShell, ABurstOfKeysPushedWhileBusyArrivesCompleteAndInOrder) {
  SdlShell shell;
  ScriptedForm form(shell);
  const std::vector<SDL_Keycode> burst = {SDLK_LEFT, SDLK_UP, SDLK_RIGHT, SDLK_DOWN,
                                          SDLK_y,    SDLK_n,  SDLK_a,     SDLK_5};
  form.load = [&] {
    for (int round = 0; round < 10; ++round) {
      for (SDL_Keycode key : burst) PushKey(key, KMOD_NONE, round > 0);
    }
    shell.PumpEvents();
    shell.EndProgram();
  };
  EXPECT_EQ(shell.Run(form), 0);
  ASSERT_EQ(form.keys.size(), burst.size() * 10);
  for (size_t i = 0; i < form.keys.size(); ++i) {
    EXPECT_EQ(form.keys[i].first, VirtualKeyCode(burst[i % burst.size()])) << i;
  }
}

TEST(SdlShell, YAndNKeepTheirCodeUnderEveryModifier) {
  SdlShell shell;
  ScriptedForm form(shell);
  form.load = [&] {
    for (uint16_t modifiers : {KMOD_NONE, KMOD_LSHIFT, KMOD_CAPS, KMOD_LCTRL, KMOD_RALT}) {
      PushKey(SDLK_y, modifiers);
      PushKey(SDLK_n, modifiers);
    }
    shell.PumpEvents();
    shell.EndProgram();
  };
  EXPECT_EQ(shell.Run(form), 0);
  ASSERT_EQ(form.keys.size(), 10u);
  for (size_t i = 0; i < form.keys.size(); ++i) {
    EXPECT_EQ(form.keys[i].first, i % 2 == 0 ? 89 : 78);
  }
  EXPECT_EQ(form.keys[2].second, 1);  // Shift
  EXPECT_EQ(form.keys[6].second, 2);  // Ctrl
  EXPECT_EQ(form.keys[8].second, 4);  // Alt
}

TEST(SdlShell, ACloseRequestRaisesTheUnloadEvent) {
  SdlShell shell;
  ScriptedForm form(shell);
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  close.window.windowID = SDL_GetWindowID(shell.Window());
  SDL_PushEvent(&close);
  EXPECT_EQ(shell.Run(form), 0);
  EXPECT_EQ(form.unloads, 1);
}

struct KeyCase {
  SDL_Keycode key;
  int16_t code;
};

TEST(KeyCodes, MapSdlKeysToWindowsVirtualKeys) {
  for (const KeyCase& c : {KeyCase{SDLK_LEFT, 37},
                           {SDLK_UP, 38},
                           {SDLK_RIGHT, 39},
                           {SDLK_DOWN, 40},
                           {SDLK_y, 89},
                           {SDLK_n, 78},
                           {SDLK_a, 65},
                           {SDLK_z, 90},
                           {SDLK_0, 48},
                           {SDLK_9, 57},
                           {SDLK_F1, 112},
                           {SDLK_F12, 123},
                           {SDLK_RETURN, 13},
                           {SDLK_ESCAPE, 27},
                           {SDLK_SPACE, 32},
                           {SDLK_KP_4, 100},
                           {SDLK_UNKNOWN, 0}}) {
    EXPECT_EQ(VirtualKeyCode(c.key), c.code) << SDL_GetKeyName(c.key);
  }
  EXPECT_EQ(ShiftState(KMOD_LSHIFT | KMOD_RCTRL | KMOD_LALT), 7);
  EXPECT_EQ(ShiftState(KMOD_CAPS | KMOD_NUM), 0);
}

}  // namespace
}  // namespace scurrow
