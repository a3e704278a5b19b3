#!/usr/bin/env bash
# End-to-end checks of the real program on the X display in $DISPLAY (run it
# under tools/with-xvfb). The program gets real X key events from xdotool and
# polite close requests from x_window; the checks look only from outside: the
# windows on the display, the exit status, standard error, the sound stream of
# SDL's disk audio driver, and the event file of the logging build.
#
# usage: e2e.sh [--program PATH] [--logged PATH] --x-window PATH --sounds DIR CHECK...
#   --program   the program as installed: PREFIX/bin/scurrow, a link
#   --logged    the logging build of the game (tests/e2e/scurrow_logged)
#   --x-window  the x_window helper
#   --sounds    the source folder of the recordings
# Checks on --program: layout window-and-close game-over missing-sound
# Checks on --logged:  logged-game logged-close
#
# It prints what each check saw, then "e2e: N passed, N failed".

# The polling conditions are functions that wait_until calls by name.
# shellcheck disable=SC2317
set -eEuo pipefail

program="" logged="" x_window="" sounds=""
checks=()
while (($#)); do
  case "$1" in
    --program) program=$2; shift 2 ;;
    --logged) logged=$2; shift 2 ;;
    --x-window) x_window=$2; shift 2 ;;
    --sounds) sounds=$2; shift 2 ;;
    -*) echo "e2e.sh: unknown option $1" >&2; exit 2 ;;
    *) checks+=("$1"); shift ;;
  esac
done
[[ ${#checks[@]} -gt 0 && -x "$x_window" && -d "$sounds" ]] || {
  echo "usage: e2e.sh [--program PATH] [--logged PATH] --x-window PATH --sounds DIR CHECK..." >&2
  exit 2
}
[[ -n "${DISPLAY:-}" ]] || { echo "e2e.sh: no DISPLAY; run it under tools/with-xvfb" >&2; exit 2; }

# No sound card is needed: SDL's disk driver writes the mixed sound to a file
# at the pace a sound card would play it.
export SDL_AUDIODRIVER=disk
# Bytes per second of that stream: 44.1 kHz, 16-bit, stereo.
readonly STREAM_RATE=176400
# Gap between key presses, in seconds.
readonly KEY_GAP=0.05

work=$(mktemp -d)
check="" pid="" watcher="" events=""
passed=0

cleanup() {
  # SDL turns SIGTERM into a quit event, which a blocked program never reads.
  if [[ -n "$pid" ]]; then kill -KILL "$pid" 2>/dev/null || true; fi
  if [[ -n "$watcher" ]]; then kill "$watcher" 2>/dev/null || true; fi
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'fail "line $LINENO: \"$BASH_COMMAND\" failed"' ERR

note() { echo "[$check] $*"; }

fail() {
  echo "FAIL [$check]: $*" >&2
  if [[ -s "$work/stderr" ]]; then
    echo "--- the program's standard error:" >&2
    tail -n 20 "$work/stderr" >&2
  fi
  if [[ -n "$events" && -s "$events" ]]; then
    echo "--- the last events:" >&2
    tail -n 40 "$events" >&2
  fi
  echo "e2e: $passed passed, 1 failed"
  exit 1
}

# Polls COMMAND every 50 ms until it succeeds; fails after TIMEOUT seconds.
# WHAT names the awaited thing in the failure message.
wait_until() {
  local timeout=$1 what=$2
  shift 2
  local deadline=$((SECONDS + timeout))
  until "$@"; do
    ((SECONDS < deadline)) || fail "timed out after ${timeout} s waiting for $what"
    sleep 0.05
  done
}

running() {
  local state=""
  [[ -n "$pid" ]] || return 1
  read -r _ _ state _ 2>/dev/null <"/proc/$pid/stat" || return 1
  [[ "$state" != Z ]]
}

ended() { ! running; }

alive_or_fail() { running || fail "the program ended early while waiting for $1"; }

# Starts the program in the background with its output captured.
start() {
  : >"$work/stderr"
  "$@" >"$work/stdout" 2>"$work/stderr" &
  pid=$!
}

# Waits for the program to end and sets `status` to its exit status.
wait_for_exit() {
  wait_until "$1" "the program to end" ended
  status=0
  wait "$pid" || status=$?
  pid=""
}

# Sets `window` to the one viewable window titled TITLE, once it has kept
# the same id for 0.3 s: SDL may replace a window just after showing it (it
# does on its first paint when it draws through a renderer).
find_window() {
  local title=$1 last=""
  found_window() {
    running || fail "the program ended before its window '$title' appeared"
    "$x_window" find "$title" >"$work/found" 2>/dev/null || return 1
    [[ $(wc -l <"$work/found") -eq 1 ]] || fail "more than one window titled '$title'"
    if [[ "$(cat "$work/found")" == "$last" ]]; then return 0; fi
    last=$(cat "$work/found")
    sleep 0.25
    return 1
  }
  wait_until 30 "a window titled '$title'" found_window
  window=$last
}

focus() {
  xdotool windowfocus "$window"
  note "focused window $window"
}

key() { xdotool key "$1"; }

close_window() { "$x_window" close "$1" || fail "cannot send a close request to $1"; }

# Seconds of sound the program has mixed so far, in hundredths.
stream_centiseconds() {
  local bytes
  bytes=$(stat -c %s "$work/stream" 2>/dev/null || echo 0)
  echo $((bytes * 100 / STREAM_RATE))
}

stream_reached() { alive_or_fail "the sound stream"; (($(stream_centiseconds) >= $1)); }

wait_for_stream() {
  wait_until "$2" "$(($1 / 100)) s of mixed sound" stream_reached "$1"
}

no_runtime_error() {
  if grep -q "Run-time error" "$work/stderr"; then
    fail "the program reported an error: $(grep "Run-time error" "$work/stderr")"
  fi
}

# --- the event file of the logging build --------------------------------

# Lines "<ms> <text>"; counts the texts equal to TEXT.
event_count() { cut -d' ' -f2- "$events" 2>/dev/null | grep -cxF -- "$1" || true; }

event_reached() { (($(event_count "$1") >= $2)); }

wait_for_event() {
  local text=$1 count=${2:-1} timeout=${3:-20}
  have_event() {
    event_reached "$text" "$count" && return 0
    running || fail "the program ended before event #$count '$text'"
    return 1
  }
  wait_until "$timeout" "event #$count '$text'" have_event
}

# The cues that answer an arrow key: exactly one per key.
cue_count() {
  cut -d' ' -f2- "$events" 2>/dev/null |
    grep -cxE 'play once (move|atedge|found|nextlevel)\.wav' || true
}

# Presses an arrow key and waits for its cue.
step() {
  local before
  before=$(cue_count)
  key "$1"
  cue_after() {
    if event_reached "play once nofind.wav" 1; then
      fail "the star timed out before the sweep found it"
    fi
    (($(cue_count) > before))
  }
  wait_until 5 "the cue of key $1" cue_after
  sleep "$KEY_GAP"
}

# The words spoken between the Nth "play once nofind.wav" and the Nth
# "play once again.wav", on one line.
spoken_words() {
  cut -d' ' -f2- "$events" | awk -v n="$1" '
    $0 == "play once nofind.wav" { seen++ }
    $0 == "play once again.wav" && seen == n { exit }
    seen == n && $1 == "speak" { printf "%s%s", sep, $2; sep = " " }
    END { print "" }'
}

# The words that speak SCORE (below 1000), worked out here on their own.
expected_words() {
  local score=$1 words=() hundreds rest
  if ((score == 0)); then
    echo "0.wav points.wav"
    return
  fi
  hundreds=$((score / 100)) rest=$((score % 100))
  if ((hundreds > 0)); then words+=("$hundreds.wav" hundred.wav); fi
  if ((rest > 0 && rest < 20)); then
    words+=("$rest.wav")
  elif ((rest >= 20)); then
    words+=("$((rest / 10 * 10)).wav")
    if ((rest % 10 > 0)); then words+=("$((rest % 10)).wav"); fi
  fi
  words+=(points.wav)
  echo "${words[*]}"
}

# --- checks on the installed program --------------------------------------

check_layout() {
  local link target real folder prefix
  [[ -L "$program" ]] || fail "$program is not a symbolic link"
  link=$(readlink "$program")
  [[ "$link" == ../lib/scurrow/scurrow ]] || fail "$program points to '$link'"
  real=$(readlink -f "$program")
  folder=$(dirname "$real")
  prefix=$(cd "$(dirname "$program")/.." && pwd -P)
  [[ "$folder" == "$prefix/lib/scurrow" ]] || fail "the program file lies in $folder"
  [[ -f "$real" && -x "$real" ]] || fail "$real is not an executable file"
  local count=0 sound name
  for sound in "$sounds"/*.wav; do
    name=$(basename "$sound")
    cmp -s "$sound" "$folder/$name" || fail "$folder/$name differs from the source or is missing"
    count=$((count + 1))
  done
  ((count > 0)) || fail "no sounds in $sounds"
  local installed
  installed=$(find "$folder" -maxdepth 1 -name '*.wav' | wc -l)
  ((installed == count)) || fail "$folder holds $installed sounds, the source $count"
  for target in share/applications/scurrow.desktop \
    share/icons/hicolor/scalable/apps/scurrow.svg share/metainfo/scurrow.metainfo.xml; do
    [[ -s "$prefix/$target" ]] || fail "$prefix/$target is missing"
  done
  grep -qx 'Exec=scurrow' "$prefix/share/applications/scurrow.desktop" ||
    fail "the desktop entry does not run scurrow"
  note "$program -> $link, $count sounds beside the program, menu entry, icon, metainfo"
}

check_window_and_close() {
  SDL_DISKAUDIOFILE="$work/stream" start "$program"
  find_window Scurrow
  local title geometry
  title=$(xdotool getwindowname "$window")
  [[ "$title" == Scurrow ]] || fail "the window is titled '$title'"
  geometry=$(xwininfo -id "$window")
  grep -q 'Map State: IsViewable' <<<"$geometry" || fail "the window is not viewable"
  local width height
  width=$(awk '/^ *Width:/ { print $2 }' <<<"$geometry")
  height=$(awk '/^ *Height:/ { print $2 }' <<<"$geometry")
  [[ "$width" == 312 && "$height" == 213 ]] || fail "the client area is ${width}x${height}"
  note "window $window titled '$title', client area ${width}x${height}"
  # Well into the introduction: the pause before it is at most 1.5 s.
  wait_for_stream 250 30
  close_window "$window"
  wait_for_exit 15
  ((status == 0)) || fail "exit status $status after a close request during the introduction"
  no_runtime_error
  note "a close request during the introduction ends it with status 0"
}

check_game_over() {
  SDL_DISKAUDIOFILE="$work/stream" start "$program"
  find_window Scurrow
  focus
  # The pause (at most 1.5 s) and the 6.2 s introduction are over by 9 s of
  # sound; the first star then has 10 s before it times out.
  wait_for_stream 900 40
  key n
  sleep 1.5
  running || fail "N ended the program while a game was running"
  note "N during the game is ignored"
  # N every half second: the first one after the game is over ends it.
  quit_on_n() {
    ended && return 0
    key n
    sleep 0.45
    return 1
  }
  wait_until 40 "N to end the program after the game" quit_on_n
  wait_for_exit 5
  ((status == 0)) || fail "exit status $status after N at game over"
  no_runtime_error
  local sound
  sound=$(tr -d '\000' <"$work/stream" | wc -c)
  ((sound >= STREAM_RATE)) || fail "the program mixed only silence ($sound non-zero bytes)"
  note "N at game over ends it with status 0; $(($(stream_centiseconds) / 100)) s of sound mixed"
}

check_missing_sound() {
  local real folder copy
  real=$(readlink -f "$program")
  folder=$(dirname "$real")
  copy="$work/copy"
  mkdir "$copy"
  cp "$real" "$folder"/*.wav "$copy/"
  # The last of the eight effects to load.
  rm "$copy/intro.wav"

  "$x_window" watch >"$work/mapped" &
  watcher=$!
  watching() { grep -qx watching "$work/mapped"; }
  wait_until 10 "the window watcher" watching

  SDL_DISKAUDIOFILE=/dev/null start "$copy/scurrow"
  find_window "Scurrow error"
  running || fail "the program did not wait for its message box"
  close_window "$window"
  wait_for_exit 15
  ((status != 0)) || fail "exit status 0 with intro.wav missing"
  grep -qF "$copy/intro.wav" "$work/stderr" || fail "standard error does not name $copy/intro.wav"
  box_seen() { grep -q '^mapped [0-9a-fx]* Scurrow error$' "$work/mapped"; }
  wait_until 5 "the watcher to see the message box" box_seen
  if grep -q '^mapped [0-9a-fx]* Scurrow$' "$work/mapped"; then
    fail "the game window was shown although a sound is missing"
  fi
  note "status $status, '$(grep -F intro.wav "$work/stderr")'; no game window was shown"
}

# --- checks on the logging build ------------------------------------------

# Starts the logging build through a link, as the installed program runs.
start_logged() {
  mkdir -p "$work/bin"
  ln -sf "$(readlink -f "$logged")" "$work/bin/scurrow_logged"
  events="$work/events"
  SDL_DISKAUDIOFILE=/dev/null start "$work/bin/scurrow_logged" "$events"
}

check_logged_close() {
  start_logged
  find_window Scurrow
  wait_for_event "playing intro.wav" 1 30
  close_window "$window"
  wait_for_exit 15
  ((status == 0)) || fail "exit status $status after a close request during the introduction"
  event_reached "exit 0" 1 || fail "no 'exit 0' event"
  (($(event_count "play looping background.wav") == 0)) ||
    fail "the music started although the window was closed during the introduction"
  for text in "release intro.wav" "release device" "release root"; do
    event_reached "$text" 1 || fail "no '$text' event: the sound was not shut down"
  done
  no_runtime_error
  note "a close request during intro.wav shuts the sound down and ends with status 0"
}

check_logged_game() {
  start_logged
  find_window Scurrow
  focus
  wait_for_event "play looping background.wav" 1 30
  local folder
  folder=$(dirname "$(readlink -f "$logged")")
  event_reached "load $folder/intro.wav" 1 || fail "the sounds were not loaded from $folder"
  note "introduction over; sounds loaded from $folder through a link"

  # To the top-left corner, then snakes across the rows, down and back up,
  # until a step lands on the star. Each key waits for its cue.
  local keys=() row
  for _ in 1 2 3 4; do keys+=(Left); done
  for _ in 1 2 3 4; do keys+=(Up); done
  local across=(Right Left) down=() up=()
  for row in 0 1 2 3 4; do
    for _ in 1 2 3 4; do down+=("${across[row % 2]}"); done
    if ((row < 4)); then down+=(Down); fi
  done
  for row in 0 1 2 3 4; do
    for _ in 1 2 3 4; do up+=("${across[(row + 1) % 2]}"); done
    if ((row < 4)); then up+=(Up); fi
  done
  keys+=("${down[@]}" "${up[@]}" "${down[@]}")
  local pressed=0
  for k in "${keys[@]}"; do
    if event_reached "play once found.wav" 1; then break; fi
    if event_reached "play once nofind.wav" 1; then
      fail "the star timed out before the sweep found it"
    fi
    step "$k"
    pressed=$((pressed + 1))
  done
  event_reached "play once found.wav" 1 || fail "no star found after $pressed keys"
  local found
  found=$(event_count "play once found.wav")
  note "star found after $pressed arrow keys"

  # The next star times out; the score is spoken and the prompt follows.
  wait_for_event "play once nofind.wav" 1 20
  wait_for_event "play once again.wav" 1 20
  local words expected
  words=$(spoken_words 1)
  expected=$(expected_words $((found * 50)))
  [[ "$words" == "$expected" ]] || fail "spoke '$words' for $((found * 50)) points, not '$expected'"
  note "time-out, then '$words', then again.wav"

  key y
  wait_for_event "play looping background.wav" 2 10
  note "Y starts a new game: the music loops again"
  wait_for_event "play once nofind.wav" 2 20
  wait_for_event "play once again.wav" 2 20
  words=$(spoken_words 2)
  [[ "$words" == "0.wav points.wav" ]] || fail "spoke '$words' for 0 points"
  note "second game timed out: '$words', then again.wav"

  key n
  wait_for_exit 15
  ((status == 0)) || fail "exit status $status after N at game over"
  for text in "exit 0" "release device" "release root"; do
    event_reached "$text" 1 || fail "no '$text' event"
  done
  no_runtime_error
  note "N at game over ends it with status 0"
}

for check in "${checks[@]}"; do
  case "$check" in
    layout | window-and-close | game-over | missing-sound)
      [[ -n "$program" ]] || { echo "e2e.sh: $check needs --program" >&2; exit 2; } ;;
    logged-game | logged-close)
      [[ -x "$logged" ]] || { echo "e2e.sh: $check needs --logged" >&2; exit 2; } ;;
    *) echo "e2e.sh: unknown check '$check'" >&2; exit 2 ;;
  esac
  started=$SECONDS
  "check_${check//-/_}"
  note "passed in $((SECONDS - started)) s"
  passed=$((passed + 1))
done
echo "e2e: $passed passed, 0 failed"
