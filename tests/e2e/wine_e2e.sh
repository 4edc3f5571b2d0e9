#!/usr/bin/env bash
# velmora.exe end to end under Wine, on the real DirectDraw in its exclusive
# 640x480 mode: a virtual X server of exactly that size, no window manager,
# a private Wine prefix.
#   wine_e2e.sh BUILD_WINDOWS SCREEN_CHECK PALETTE_BMP
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/x11.sh"
source "$here/../wine/prefix.sh"
e2e_begin wine "$2" "$3" 640x480
trap 'wine_stop; e2e_end' EXIT
[ -f "$build/velmora.exe" ] || fail "no $build/velmora.exe (scripts/build-windows.sh)"
wine_template "$build"
wine_private "$build/wine-template" "$work/wine"

# Fast moves reach the program merged into fewer.
pace=0.02
start_and_drag wine "$build/velmora.exe"

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

finish
