#!/usr/bin/env bash
# Keeping and seeing the work with the real painter under a virtual X server.
#   work_e2e.sh VELMORA REPLAY SCREEN_CHECK PALETTE_BMP work|window
# work: a depth map painted and saved by the player opens as a stereogram;
# F2 saves with a box; D shows the relief, painting goes on in it, and D
# again shows the stereogram; Ctrl+Z takes the stroke back and Ctrl+Y puts
# it again, each rebuilding only its rows. window: --window makes a window of its own,
# smaller than the screen, painted through with the pointer free.
set -euo pipefail
source "$(dirname "$0")/x11.sh"
velmora=$1 replay=$2 mode=$5
# No leak checking in the painter: the GL driver SDL loads leaks.
run_velmora() {
    env ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" "$velmora" "$@" \
        >"$work/velmora.out" 2>"$work/velmora.err" </dev/null &
    program_pid=$!
}
is_png() { [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ]; }

if [ "$mode" = work ]; then
    e2e_begin work "$3" "$4" 640x480
    step=made-by-the-player # a plateau at depth 10, saved with F2
    {
        printf 'time 1700000000\nkey Up\nkey Up\nkey Up\nkey Up\nkey Up\n'
        for ((x = 150; x <= 400; x += 10)); do echo "lbutton $x 100"; done
        printf 'move 560 440\nkey F2\n'
    } | "$replay" --out "$work/made" - >"$work/replay.out" || fail "the player did not save"
    map=$(echo "$work"/made/velmora-20231114-221320-depth.png)
    is_png "$map" || fail "the player saved no depth map"

    step=open
    move 560 440
    run_velmora --open "$map" --save-dir "$work/saved"
    poll period @ 170 400 104 115 70
    move 565 440 # the brush away from where it starts, out of the way
    move 560 440
    poll period @ 170 400 104 115 70
    opened=$shot

    mkdir "$work/saved"
    box F2 Return "$opened" 560 440
    step=saved
    files=("$work"/saved/velmora-*)
    [ "${#files[@]}" = 2 ] && is_png "${files[0]}" && is_png "${files[1]}" &&
        [[ " ${files[*]} " == *"-depth.png "* ]] || fail "not two PNG files: ${files[*]}"

    step=depth-view # the plateau a brighter grey than the background
    xdotool key d
    poll grey @ 170 400 104 115 91
    holds grey "$shot" 100 500 200 380 21
    step=paint-in-view # at the drawing depth, 5
    drag 1 200 400 250
    move 560 440
    poll grey @ 230 400 254 265 56

    step=stereogram-again # with what was painted meanwhile
    xdotool key d
    poll period @ 230 400 254 265 75
    holds period "$shot" 170 400 104 115 70
    painted=$shot

    step=undo # the stroke gone, only its rows rebuilt
    xdotool key ctrl+z
    poll period @ 230 400 254 265 80
    holds stroke "$painted" "$shot" 200 250
    holds period "$shot" 170 400 104 115 70
    undone=$shot
    step=redo
    xdotool key ctrl+y
    poll period @ 230 400 254 265 75
    holds stroke "$undone" "$shot" 200 250
    finish
    exit 0
fi

e2e_begin window "$3" "$4" 1400x1100
step=window
known=$(top_windows)
xdotool mousemove 809 551 # where a centred window will show the brush
run_velmora --window
until_ok "no window appeared" new_window
window=$new
geometry() { xwininfo -id "$window" | awk -v key="$1" -F: '$1 ~ key {gsub(/ /, "", $2); print $2}'; }
width=$(geometry Width) height=$(geometry Height)
left=$(geometry 'Absolute upper-left X') top=$(geometry 'Absolute upper-left Y')
# The largest whole scale that fits 1400x1100 is 2.
[ "$width" = 1280 ] && [ "$height" = 960 ] || fail "a ${width}x${height} window"
# Screenshots of the window alone; the pointer placed through its scale.
shoot() {
    shot=$work/$((n += 1))-$step.ppm
    import -window "$window" -depth 8 "ppm:$shot" 2>>"$work/import.log" || fail "import failed"
}
at() { echo "$((left + 2 * $1 + 1)) $((top + 2 * $2 + 1))"; }
poll tiled @ "$4"
step=window-drag
move 200 300
drag 1 200 400 300
move 500 420
poll period @ 240 395 305 314 75
step=pointer-free # not held inside the window
xdotool mousemove 5 5
sleep 0.2
[[ $(xdotool getmouselocation) == "x:5 y:5 "* ]] || fail "the pointer is held: $(xdotool getmouselocation)"
# No window manager gives the window the keyboard.
xdotool windowfocus --sync "$window"
# A teardown that races the last input fails only now and then: end, start
# again and paint, a few times over.
for ((run = 2; run <= 10; run++)); do
    step=escape-$((run - 1))
    escape
    step=start-$run
    known=$(top_windows)
    run_velmora --window
    until_ok "no window appeared" new_window
    window=$new
    drag 1 200 400 300
    xdotool windowfocus --sync "$window"
done
finish
