#!/usr/bin/env bash
# End-to-end run of the real painter under a virtual X server: real input
# through xdotool, screenshots through ImageMagick's import, judged by
# screen_check.
#   e2e.sh VELMORA SCREEN_CHECK PALETTE_BMP WIDTHxHEIGHT
# Screenshots go to a temporary folder that is kept, and named, on failure
# (or always when E2E_KEEP is set).
set -euo pipefail

velmora=$1
source "$(dirname "$0")/x11.sh"
e2e_begin "$4" "$2" "$4"
palette=$3

cleanup() {
    # Only what this script started: the box a forked child of velmora may
    # still show, velmora, then the X server.
    if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
        for child in $(pgrep -P "$program_pid" || true); do kill -9 "$child" 2>/dev/null || true; done
        kill -9 "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
    fi
    e2e_end
}
trap cleanup EXIT

start_xvfb

# Opens a box with a key, closes it with Return, and checks that the screen
# comes back as it was: no pixels of the box left, and the pointer move made
# while the box was up not painted.
box() {
    local key=$1 before_box=$2 name=$3 known
    step="$name"
    known=$(top_windows)
    xdotool key "$key"
    wait_new_window "$known"
    sleep 0.3  # the box draws its text after it is mapped
    shoot
    cp "$shot" "$work/$name.ppm"
    move 560 440
    # A window manager gives a new window the focus; there is none here.
    xdotool windowfocus --sync "$new" key Return
    wait_closed "$new"
    step="$name-closed"
    poll same "$before_box" @
    sleep 0.3
    poll same "$before_box" @
}

# --- start: the pointer rests where the program puts its brush ---
step=launch
move 374 240
# Leak checking is off for this process only: the GL driver that SDL loads
# leaks at exit, and it is unloaded by then, so its frames show as
# "<unknown module>" and no suppression can name them. ASan and UBSan still
# stop the program at the first error.
ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" "$velmora" >"$work/velmora.out" \
    2>"$work/velmora.err" </dev/null &
program_pid=$!
step=start
poll tiled @ "$palette"
start=$shot

# --- a move without buttons: the brush shows as a bump (depth = cell, 2 in its core) ---
step=hover
move 200 100
poll period @ 206 223 104 115 78

# --- the top edge of the screen (in the bar above a letterboxed picture):
# the pointer counts as on the picture's top row ---
step=top-edge
p=$(at 300 0)
xdotool mousemove "${p% *}" 0
poll period @ 306 323 4 15 78

# --- a left drag paints a plateau at the drawing depth (5) ---
step=before-drag
move 200 300
poll period @ 206 223 304 315 78
before=$shot
step=left-drag
drag 1 200 400 300
poll period @ 240 395 305 314 75
"$check" stroke "$before" "$shot" 200 300 || fail "the drag changed more than its rows"
"$check" period "$shot" 406 423 304 315 73 || fail "no depth 5 + 2 under the resting brush"
step=left-drag-away
move 500 420
poll period @ 240 420 305 314 75

# --- a right drag clears back to the background ---
step=right-drag
move 200 300
drag 3 200 400 300
move 500 420
poll period @ 230 420 305 314 80

# --- Up Up Down: drawing depth 6 ---
step=depth-keys
xdotool key Up Up Down
drag 1 200 400 40
move 500 420
poll period @ 240 420 45 54 74
painted=$shot
"$check" period "$shot" 240 420 305 314 80 >/dev/null || fail "the cleared strip changed"

# --- boxes: the command list (F1) and the statistics (Space) ---
box F1 "$painted" help-box
box space "$painted" statistics-box

# --- flicker: other colours, same arrangement ---
step=flicker
xdotool key f
deadline=$((SECONDS + timeout_s))
while true; do
    shoot
    first=$shot
    "$check" recolour "$painted" "$first" "$palette" 2>"$work/check.err" ||
        [ $? -eq 3 ] || fail "$(cat "$work/check.err")"
    sleep 0.15
    shoot
    status=0
    "$check" recolour "$first" "$shot" "$palette" 2>"$work/check.err" || status=$?
    [ "$status" -eq 0 ] && break
    [ "$status" -eq 3 ] || fail "$(cat "$work/check.err")"
    [ "$SECONDS" -lt "$deadline" ] || fail "the colours did not change"
done
cp "$first" "$work/flicker-a.ppm"
cp "$shot" "$work/flicker-b.ppm"

# --- Esc ends the program with status 0 ---
step=escape
xdotool key Escape
wait_exit 0

passed=1
echo "e2e $label: passed ($SECONDS s)"
