#pragma once

// The player's words on a desktop system, shared by its platform files: `reinstall` says how the
// game's files are put back ("install Scurrow again").
// clang-format off
#define SCURROW_DESKTOP_OUT_OF_MEMORY \
  "the computer ran out of memory. Close some programs, then start Scurrow again."
#define SCURROW_DESKTOP_ADVICE(reinstall) {                                                     \
  "its window could not be opened. Start Scurrow again from your desktop; if that does not "    \
  "help, restart the computer.",                                                                \
  "no sound device could be opened, and the game is played by ear. Connect speakers or "        \
  "headphones, or close a program that may hold the sound card, then start Scurrow again.",     \
  "To put it right, " reinstall ".",                                                            \
  SCURROW_DESKTOP_OUT_OF_MEMORY,                                                                \
  "Start Scurrow again; if this keeps happening, " reinstall ".",                               \
  true}
// clang-format on
