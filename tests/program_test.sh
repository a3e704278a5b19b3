#!/usr/bin/env bash
# The real program on the X display in $DISPLAY (run it under tools/with-xvfb), watched only
# from outside: its windows, real key presses from xdotool, its exit status and standard error,
# and the sound it mixes, which SDL's disk audio driver writes to a file.
#
# usage: program_test.sh PROGRAM CHECK...
#   PROGRAM is the built or the installed program (its sounds lie beside the file it links to),
#   or the Windows program, scurrow.exe, which runs under Wine;
#   CHECK one of: game odd-folder failures servers
set -euo pipefail
program=$1 name=$(basename "$(readlink -f "$1")")
shift
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
pid="" servers=()
trap '[[ -z $pid ]] || kill -9 $pid 2>/dev/null; kill ${servers[*]} 2>/dev/null || :; wait; rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/stream
wine=()
if [[ $name == *.exe ]]; then # a Wine of its own, quiet, and the file as Windows names it
  wine=(/usr/lib/wine/wine64)
  export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" SDL_DISKAUDIOFILE=Z:$work/stream
  "${wine[@]}" wineboot --init >/dev/null 2>&1 && /usr/lib/wine/wineserver -w
fi

fail() { echo "FAIL [$check]: $* $(cat "$work/stderr" 2>/dev/null)" >&2 && exit 1; }
# Polls "$@" every 0.1 s for up to $timeout seconds.
wait_for() { for ((i = 0; i < timeout * 10; i++)); do "$@" && return 0; sleep 0.1; done; fail "timed out waiting for: $*"; }
start() { "${wine[@]}" "$@" >/dev/null 2>"$work/stderr" & pid=$!; }
ended() { ! kill -0 "$pid" 2>/dev/null; }
# Waits for the end, expecting exit status $1 and, with $2, one line on standard error saying it.
ends_with() {
  timeout=${timeout:-15} wait_for ended
  local status=0; wait "$pid" || status=$?; pid=""
  [[ $status -eq $1 ]] || fail "exit status $status, expected $1"
  [[ $(wc -l <"$work/stderr") -eq $(($# - 1)) ]] && { [[ $# -eq 1 ]] || grep -qF -- "$2" "$work/stderr"; } ||
    fail "standard error is not $(($# - 1)) line(s) saying: ${2:-}"
}
# As at log-off on Linux; the system's close keystroke on Windows, once the window has the keyboard.
close_request() { if [[ -n ${wine[*]} ]]; then press_until_ended alt+F4; else kill -TERM "$pid"; fi; }
# Presses key $1 every half second until the program ends: once a window has the keyboard.
press_until_ended() { for _ in {1..10}; do xdotool key "$1" && sleep 0.5 && ended && break; done; }
# The id of the top-level window titled exactly $1, and whether it is on the screen.
window() { xwininfo -root -children | awk -v t="\"$1\":" 'index($0, t) { print $1; exit }'; }
shown() { local id; id=$(window "$1") && [[ -n $id ]] && xwininfo -id "$id" | grep -q IsViewable; }
# The last half second of mixed sound is silence (the music stops when a game is over) or not.
silent() { [[ $(tail -c 88200 "$work/stream" 2>/dev/null | tr -d '\0' | wc -c) -eq 0 ]]; }
sounding() { [[ -s $work/stream ]] && ! silent; }
# The program and its sounds in a folder of their own.
copy_to() { mkdir -p "$1" && cp "$(readlink -f "$program")" "$(dirname "$(readlink -f "$program")")"/*.wav "$1/"; }
# An error dialog shows, alone: SDL's box, or with $2 = zenity, zenity's. Closed, the program ends
# with status 1 and one line saying $1.
box_ends_with() {
  timeout=30 wait_for shown "Scurrow error"
  shown Scurrow && fail "the game window shows beside the error"
  local id whose=SDL
  id=$(window "Scurrow error")
  [[ $(xprop -id "$id" WM_CLASS 2>/dev/null) != *zenity* ]] || whose=zenity
  [[ $whose == "${2:-SDL}" ]] || fail "the dialog is $whose's, not ${2:-SDL}'s"
  ! ended || fail "the program ended before its dialog was closed"
  if [[ -n ${wine[*]} ]]; then press_until_ended Return; else xdotool windowfocus --sync "$id" key Return 2>/dev/null; fi
  ends_with 1 "$1"
}
# A stand-in for zenity that notes how it was called, and how much sound had been mixed then and
# a moment later; it ends with status $ZENITY_STATUS.
stand_in=$work/said && mkdir -p "$stand_in"
cat >"$stand_in/zenity" <<EOF
#!/bin/sh
printf "%s\n" "\$@" >"$work/zenity.args"
for _ in 1 2; do stat -c %s "$work/stream"; sleep 0.3; done >"$work/mixed" 2>/dev/null
exit \${ZENITY_STATUS:-0}
EOF
chmod +x "$stand_in/zenity"
# The stand-in was told $1 as an error, with no error number.
told() {
  grep -qx -- --error "$work/zenity.args" && grep -qF -- "--text=$1" "$work/zenity.args" &&
    ! grep -q "error [0-9]" "$work/zenity.args" || fail "zenity was not told: $1"
  rm "$work/zenity.args"
}

check_game() {
  start "$program"
  timeout=30 wait_for shown Scurrow
  xwininfo -id "$(window Scurrow)" | grep -Pzq 'Width: 312\n *Height: 213' || fail "not 312 by 213"
  # Its client area is plain light grey: every pixel of the window's image is f0 f0 f0 00.
  pixels=$(xwd -silent -id "$(window Scurrow)" | tail -c $((312 * 213 * 4)) | tr -d '\360' | tr '\0' 0)
  [[ ${#pixels} -eq $((312 * 213)) && -z ${pixels//0/} ]] || fail "not plain grey"
  timeout=30 wait_for sounding
  sleep 7 # the introduction, during which N would quit
  xdotool key Left Left Left Left Up Up Up Up n
  sleep 1
  ! ended || fail "N ended a running game"
  timeout=40 wait_for silent # time-out, spoken score and prompt are over
  xdotool key n
  ends_with 0
}

check_odd_folder() {
  copy_to "$work/Mes jeux é/ñ"
  ln -s "$work/Mes jeux é/ñ/$name" "$work/link"
  if [[ -n ${wine[*]} ]]; then start "$work/Mes jeux é/ñ/$name"; else start "$work/link"; fi
  timeout=30 wait_for sounding # the introduction, found beside the real file
  close_request
  ends_with 0
}

check_failures() {
  copy_to "$work/game"
  rm "$work/game/intro.wav"
  if [[ -n ${wine[*]} ]]; then # Windows shows its own box, also when no window can be opened
    start "$work/game/$name"
    box_ends_with "Run-time error 53: Cannot load sound file"
    SDL_VIDEODRIVER=offscreen start "$work/game/$name"
    box_ends_with "Run-time error 429: No display available"
    return
  fi
  PATH=$stand_in:$PATH start "$work/game/$name"
  ends_with 1 "Run-time error 53: Cannot load sound file '$work/game/intro.wav'"
  told "Scurrow cannot start: its sound file \"intro.wav\" in the folder \"$work/game\" is missing. To put it right, install Scurrow again."
  # The real zenity shows its dialog; where it cannot open the display it is given, SDL's box.
  start "$work/game/$name"
  box_ends_with "Run-time error 53" zenity
  GDK_BACKEND=wayland start "$work/game/$name"
  box_ends_with "Run-time error 53"
  ZENITY_STATUS=255 PATH=$stand_in:$PATH start "$work/game/$name"
  box_ends_with "Run-time error 53"
  ZENITY_STATUS=1 PATH=$stand_in:$PATH start "$work/game/$name" # closed by the player: no box after
  ends_with 1 "Run-time error 53"
  # Without zenity, SDL's own box.
  mkdir "$work/none"
  start env PATH="$work/none" SDL_AUDIODRIVER=alsa ALSA_CONFIG_PATH="$here/no-card.conf" "$program"
  box_ends_with "Run-time error 429: Cannot open the sound device"
  # The introduction damaged one way at a time: the report names the file and the reason; the
  # player is told that the file is damaged.
  local intro=$work/game/intro.wav
  # A 16-bit mono header: its format tag, then its data chunk's size.
  header() { printf "RIFF\xff\0\0\0WAVEfmt \x10\0\0\0$1\x01\0\x44\xac\0\0\x88\x58\x01\0\x02\0\x10\0data$2"; }
  while IFS='|' read -r damage reason; do
    rm -rf "$intro" && eval "$damage"
    PATH=$stand_in:$PATH start "$work/game/$name"
    ends_with 1 "Cannot load sound file '$intro': $reason"
    told "Scurrow cannot start: its sound file \"intro.wav\" in the folder \"$work/game\" is damaged."
  done <<'EOF'
: >"$intro"|the file is empty
header '\x01\0' '\0\0\0\0' >"$intro"|the file holds no sound
{ header '\x01\0' '\xf0\xe0\xd0\x7f' && head -c 9000 /dev/zero; } >"$intro"|the file is cut short: its sound data should take 2144395504 bytes but only 9000 are there
{ header '\x34\x12' '\x10\0\0\0' && head -c 16 /dev/zero; } >"$intro"|Unknown WAVE format
{ header '\x01\0' '\x10\0\0\0' && head -c 16 /dev/zero; } >"$intro" && dd of="$intro" bs=1 seek=3 count=1 conv=notrunc 2>/dev/null <<<X|not a WAV file
cp "$here/damaged/1hz-overflow.wav" "$intro"|the sound is too long at 1 Hz: converting it takes 2086 MB, more than 64 MB
cp "$here/damaged/4mhz.wav" "$intro"|its sample rate, 4194301 Hz, is above 384000 Hz
cp "$here/damaged/1hz-resample.wav" "$intro"|its sample rate, 1 Hz, is below 1000 Hz
cp "$here/damaged/seven-channels.wav" "$intro"|it has 7 channels: only mono and stereo sounds play
cp "$here/damaged/float-nan.wav" "$intro"|some of its samples are not numbers
mkdir "$intro"|is a directory
mkfifo "$intro"|not a regular file
EOF
  # No window can be opened: the player is told so.
  PATH=$stand_in:$PATH start env SDL_VIDEODRIVER=offscreen "$program"
  ends_with 1 "Run-time error 429: No display available: only the invisible 'offscreen'"
  told "Scurrow cannot start: its window could not be opened."
  # The game's folder removed during a game: the score cannot be spoken. The player is told in
  # silence, the music stopped.
  copy_to "$work/gone"
  PATH=$stand_in:$PATH start "$work/gone/$name"
  timeout=30 wait_for sounding
  rm -rf "$work/gone"
  timeout=40 ends_with 1 "Run-time error 76: Cannot change to folder"
  told "Scurrow has stopped because something went wrong. Start Scurrow again; if this keeps happening, install Scurrow again."
  [[ $(sort -u "$work/mixed" | wc -l) -eq 1 ]] || fail "sound went on under the dialog: $(cat "$work/mixed")"
}

# The sound server that SDL's driver reached, by the servers' client list: the game's own sound
# through PipeWire's protocol ("pipewire"), or through PulseAudio's, served by PulseAudio itself
# or by pipewire-pulse ("pulse").
heard_through() {
  pactl list clients 2>/dev/null | awk -v RS='Client #' '/binary = "scurrow"/ {
    print /Driver: PipeWire/ && !/pipewire-pulse/ ? "pipewire" : "pulse" }' | sort -u | paste -sd' '
}
# Private sound servers without a card: PulseAudio with a null sink, PipeWire with its own. The game
# plays through the one that serves the desktop, with PipeWire's own protocol where PipeWire does
# (not where PipeWire runs beside PulseAudio: it has no sink there); the player's SDL_AUDIODRIVER
# wins.
check_servers() {
  unset SDL_AUDIODRIVER
  export XDG_RUNTIME_DIR=$work/run HOME=$work/run DBUS_SESSION_BUS_ADDRESS=unix:path=$work/run/bus
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  printf '%s\n' 'load-module module-native-protocol-unix' 'load-module module-null-sink' >"$work/pa.pa"
  serve() { for s in "$@"; do $s >>"$work/servers.log" 2>&1 & servers+=($!); done; }
  # Polls until PipeWire answers; until a sink is there (pipewire-pulse makes one only if PipeWire
  # answered as it started).
  answers() { timeout=30 wait_for eval 'pw-cli info 0 >/dev/null 2>&1'; }
  sink() { timeout=30 wait_for eval '[[ -n $(pactl list short sinks 2>/dev/null) ]]'; }
  serve "dbus-daemon --session --nofork --address=$DBUS_SESSION_BUS_ADDRESS"
  timeout=10 wait_for test -S "$work/run/bus"
  local setup driver through
  while IFS='|' read -r setup driver through; do
    eval "$setup"
    start env ${driver:+SDL_AUDIODRIVER=$driver} "$program"
    timeout=30 wait_for eval '[[ -n $(heard_through) ]]'
    [[ $(heard_through) == "$through" ]] || fail "${driver:-no SDL_AUDIODRIVER}: through $(heard_through), not $through"
    close_request
    ends_with 0
  done <<EOF
serve "pulseaudio -n -F $work/pa.pa --daemonize=no --exit-idle-time=-1" && sink||pulse
serve pipewire && answers||pulse
kill \${servers[*]:1} && wait \${servers[*]:1} && serve pipewire && answers && serve wireplumber pipewire-pulse && sink||pipewire
:|pulseaudio|pulse
EOF
}

for check in "$@"; do
  "check_${check//-/_}"
  echo "ok [$check]"
done
