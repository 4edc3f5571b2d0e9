#!/usr/bin/env bash
# End-to-end run of the real painter under a virtual X server: real input
# through xdotool, screenshots through ImageMagick's import, judged by
# screen_check.
#   e2e.sh VELMORA SCREEN_CHECK PALETTE_BMP WIDTHxHEIGHT
# Screenshots go to a temporary folder that is kept, and named, on failure
# (or always when E2E_KEEP is set).
set -euo pipefail

velmora=$1 check=$2 palette=$3 size=$4
width=${size%x*} height=${size#*x}
timeout_s=${E2E_TIMEOUT:-20}

for tool in Xvfb xdotool import xwininfo; do
    command -v "$tool" >/dev/null || {
        echo "e2e: $tool is missing (bash scripts/deps.sh e2e installs it)" >&2
        exit 1
    }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-e2e-$size.XXXXXX")
xvfb_pid='' velmora_pid='' passed=0 step=start

cleanup() {
    # Only what this script started: the box a forked child of velmora may
    # still show, velmora, then the X server.
    if [ -n "$velmora_pid" ] && kill -0 "$velmora_pid" 2>/dev/null; then
        for child in $(pgrep -P "$velmora_pid" || true); do kill -9 "$child" 2>/dev/null || true; done
        kill -9 "$velmora_pid" 2>/dev/null || true
        wait "$velmora_pid" 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    if [ "$passed" = 1 ] && [ -z "${E2E_KEEP:-}" ]; then
        rm -rf "$work"
    else
        echo "e2e: screenshots and logs kept in $work" >&2
    fi
}
trap cleanup EXIT

fail() {
    echo "e2e $size: FAILED at '$step': $*" >&2
    [ -s "$work/velmora.err" ] && sed 's/^/  velmora: /' "$work/velmora.err" >&2
    exit 1
}

# --- the X server, on a display number it picks itself ---
Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp -noreset 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 </dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
    grep -q '^[0-9]' "$work/display" 2>/dev/null && break
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    sleep 0.1
done
grep -q '^[0-9]' "$work/display" || fail "Xvfb gave no display number"
export DISPLAY=":$(head -n1 "$work/display")"

# Picture pixel -> screen position, through the scale and the bars.
at() { "$check" map "$width" "$height" "$1" "$2"; }
move() { local p; p=$(at "$1" "$2"); xdotool mousemove ${p% *} ${p#* }; }

# Drag with a button from (x0, y) to (x1, y) in 10-pixel steps.
drag() {
    local button=$1 x0=$2 x1=$3 y=$4 args=() p x
    p=$(at "$x0" "$y")
    args+=(mousemove ${p% *} ${p#* } mousedown "$button")
    for ((x = x0 + 10; x <= x1; x += 10)); do
        p=$(at "$x" "$y")
        args+=(mousemove ${p% *} ${p#* })
    done
    args+=(mouseup "$button")
    xdotool "${args[@]}"
}

n=0
shoot() {
    n=$((n + 1))
    shot="$work/$(printf '%02d' "$n")-$step.ppm"
    import -window root -depth 8 "ppm:$shot" 2>>"$work/import.log" || fail "import failed"
}

# Screenshots until the check passes (its last argument position takes the
# screenshot as "@"), or the time runs out.
poll() {
    local deadline=$((SECONDS + timeout_s)) args
    while true; do
        shoot
        args=("${@//@/$shot}")
        if "$check" "${args[@]}" 2>"$work/check.err"; then
            return 0
        fi
        [ "$SECONDS" -lt "$deadline" ] || fail "$(cat "$work/check.err")"
        sleep 0.1
    done
}

top_windows() {
    xwininfo -root -children 2>/dev/null | awk '$1 ~ /^0x/ {print $1}' | sort
}

viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

# Opens a box with a key, closes it with Return, and checks that the screen
# comes back as it was: no pixels of the box left, and the pointer move made
# while the box was up not painted.
box() {
    local key=$1 before_box=$2 name=$3 deadline known new='' w
    step="$name"
    known=$(top_windows)
    xdotool key "$key"
    deadline=$((SECONDS + timeout_s))
    while [ -z "$new" ]; do
        for w in $(comm -13 <(echo "$known") <(top_windows)); do
            viewable "$w" && new=$w
        done
        [ -n "$new" ] || { [ "$SECONDS" -lt "$deadline" ] || fail "no box appeared"; sleep 0.1; }
    done
    sleep 0.3  # the box draws its text after it is mapped
    shoot
    cp "$shot" "$work/$name.ppm"
    move 560 440
    # A window manager gives a new window the focus; there is none here.
    xdotool windowfocus --sync "$new" key Return
    deadline=$((SECONDS + timeout_s))
    while viewable "$new"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "Return did not close the box"
        sleep 0.1
    done
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
velmora_pid=$!
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
deadline=$((SECONDS + timeout_s))
while kill -0 "$velmora_pid" 2>/dev/null; do
    if [ "$SECONDS" -ge "$deadline" ]; then fail "still running after Esc"; fi
    # Reap it as soon as it is a zombie.
    [ "$(ps -o stat= -p "$velmora_pid" 2>/dev/null | cut -c1)" = Z ] && break
    sleep 0.1
done
status=0
wait "$velmora_pid" || status=$?
velmora_pid=''
[ "$status" -eq 0 ] || fail "exit status $status"

passed=1
echo "e2e $size: passed ($SECONDS s)"
