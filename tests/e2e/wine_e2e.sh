#!/usr/bin/env bash
# End-to-end run of velmora.exe under Wine, on the real DirectDraw in its
# exclusive 640x480 mode: a virtual X server of exactly that size, no window
# manager, a private Wine prefix, real input through xdotool, screenshots
# judged by screen_check (tests/e2e/x11.sh holds what this shares with e2e.sh).
#   wine_e2e.sh BUILD_WINDOWS SCREEN_CHECK PALETTE_BMP
set -euo pipefail

build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/x11.sh"
source "$here/../wine/prefix.sh"
e2e_begin wine "$2" 640x480
palette=$3
# The prefix lives apart from the screenshots, which may be kept.
run=$(mktemp -d "${TMPDIR:-/tmp}/velmora-wine-e2e.XXXXXX")

cleanup() {
    wine_stop
    [ -z "$program_pid" ] || wait "$program_pid" 2>/dev/null || true
    e2e_end
    rm -rf "$run"
}
trap cleanup EXIT

[ -f "$build/velmora.exe" ] || fail "no $build/velmora.exe (scripts/build-windows.sh)"
wine_template "$build"
wine_private "$build/wine-template" "$run"
start_xvfb

# Opens a box with a key, closes it with another, and checks that it showed
# and that the picture comes back as it was, the program still running.
# Closing may send the window a pointer move (the box's button lets go of the
# pointer), which stamps the resting brush again: those rows may change.
box() {
    local open=$1 close=$2 rest=$3 known
    step="box-$open-$close"
    known=$(top_windows)
    xdotool key "$open"
    wait_new_window "$known"
    poll ! same "$rest" @
    xdotool key "$close"
    wait_closed "$new"
    kill -0 "$program_pid" 2>/dev/null || fail "the key that closed the box ended the program"
    poll rested "$rest" @ 120 40
    sleep 0.3
    poll rested "$rest" @ 120 40
}

# --- start: the pointer rests where the program puts its brush ---
step=launch
move 374 240
wine "$build/velmora.exe" >"$work/velmora.out" 2>"$work/velmora.err" </dev/null &
program_pid=$!
step=start
poll tiled @ "$palette"

# --- a left drag paints a plateau at the drawing depth (5); paced, as fast
# moves reach the program merged into fewer ---
step=before-drag
move 200 300
poll period @ 206 223 304 315 78
before=$shot
step=left-drag
drag 1 200 400 300 0.02
poll period @ 240 395 305 314 75
"$check" stroke "$before" "$shot" 200 300 || fail "the drag changed more than its rows"
"$check" period "$shot" 406 423 304 315 73 || fail "no depth 5 + 2 under the resting brush"

# --- boxes, with the brush resting above them: the command list, closed
# by each key that closes it, and the statistics ---
step=rest
move 120 40
poll period @ 126 143 44 55 78
rest=$shot
for key in Return Escape space; do
    box F1 "$key" "$rest"
done
box s Return "$rest"

# --- Esc ends the program with status 0 ---
step=escape
xdotool key Escape
wait_exit 0

passed=1
echo "e2e $label: passed ($SECONDS s)"
