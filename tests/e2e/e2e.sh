#!/usr/bin/env bash
# The real painter end to end under a virtual X server, at the picture's own
# size or a larger one, where it is scaled and letterboxed.
#   e2e.sh VELMORA SCREEN_CHECK PALETTE_BMP WIDTHxHEIGHT
set -euo pipefail
source "$(dirname "$0")/x11.sh"
e2e_begin "$4" "$2" "$3" "$4"

# No leak checking for this process only: the GL driver SDL loads leaks, and
# is unloaded by the exit, so no suppression can name its frames.
start_and_drag env ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" "$1"

step=left-drag-away # the plateau stays, with the brush's last stamp
move 500 420
poll period @ 240 420 305 314 75

step=right-drag # clears back to the background
move 200 300
drag 3 200 400 300
move 500 420
poll period @ 230 420 305 314 80

step=top-edge # the bar above a letterboxed picture counts as its top row
xdotool mousemove "$(at 300 0 | cut -d' ' -f1)" 0
poll period @ 306 323 4 15 78

step=depth-keys # Up Up Down: drawing depth 6
xdotool key Up Up Down
drag 1 200 400 40
move 500 420
poll period @ 240 420 45 54 74
painted=$shot
holds period "$shot" 240 420 305 314 80

# The command list and the statistics; a pointer move made while a box is up
# is discarded.
while_boxed() { move 560 440; }
box F1 Return "$painted"
box space Return "$painted"

step=flicker # other colours, the same arrangement
xdotool key f
poll recolour "$painted" @ "$3"

finish
