#!/usr/bin/env bash
# velmora.exe end to end under Wine, on the real DirectDraw in its exclusive
# 640x480 mode: a virtual X server of exactly that size, no window manager,
# a private Wine prefix. Then F2 saves into --save-dir, Ctrl+Z takes the
# stroke back, and a depth map made by the Linux player opens with --open.
# window: velmora.exe --window on a larger screen, in a window of its own.
#   wine_e2e.sh BUILD_WINDOWS SCREEN_CHECK PALETTE_BMP REPLAY [exclusive|window]
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
mode=${5:-exclusive}
source "$here/x11.sh"
source "$here/../wine/prefix.sh"
if [ "$mode" = window ]; then
    e2e_begin wine-window "$2" "$3" 1400x1100
else
    e2e_begin wine "$2" "$3" 640x480
fi
trap 'wine_stop; e2e_end' EXIT
[ -f "$build/velmora.exe" ] || fail "no $build/velmora.exe (scripts/build-windows.sh)"
wine_template "$build"
wine_private "$build/wine-template" "$work/wine"

if [ "$mode" = window ]; then
    source "$here/wine_window.sh"
    exit 0
fi

# Fast moves reach the program merged into fewer.
pace=0.02
mkdir "$work/saved"
windows_path() { wine winepath -w "$1" | tr -d '\r'; }
start_and_drag wine "$build/velmora.exe" --save-dir "$(windows_path "$work/saved")"

# The command list, closed by each key that closes it, and the statistics,
# with the brush resting above them: closing may send the window a pointer
# move, which stamps the brush again.
step=rest
move 120 40
poll period @ 126 143 44 55 78
rest=$shot
for key in Return Escape space; do
    box F1 "$key" "$rest" 120 40
done
box s Return "$rest" 120 40
box F2 Return "$rest" 120 40
step=saved
files=("$work"/saved/velmora-*)
[[ ${#files[@]} == 2 && " ${files[*]} " == *"-depth.png "* ]] || fail "saved: ${files[*]}"
# Ctrl+Z takes the stroke back, rebuilding only its rows.
step=undo
painted=$shot
xdotool key ctrl+z
poll period @ 240 395 305 314 80
holds stroke "$painted" "$shot" 200 300
# Another program takes the screen and gives it back, both ways round; the
# picture comes back with the pointer still.
for order in restore-first activate-first; do
    step=$order
    kept=$shot
    wine "$build/velmora_activate.exe" "$order" || fail "velmora_activate.exe $order: $?"
    poll same "$kept" @ 120 40 # a pointer move on the way back may stamp the brush again
done
finish

# A plateau at depth 10 from the player, opened: the picture repeats every
# 70 columns there.
passed=0 step=open
{
    for _ in 1 2 3 4 5; do echo "key Up"; done
    for ((x = 150; x <= 260; x += 10)); do echo "lbutton $x 100"; done
    printf 'move 500 400\nkey F2\n'
} | "$4" --out "$work/made" - >/dev/null || fail "the player did not save"
map=$(echo "$work"/made/velmora-*-depth.png)
move 500 400
wine "$build/velmora.exe" --open "$(windows_path "$map")" \
    >"$work/velmora.out" 2>"$work/velmora.err" </dev/null &
program_pid=$!
poll period @ 170 250 104 115 70
finish
